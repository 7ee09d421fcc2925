#include <gtest/gtest.h>

#include <set>
#include <string>

#include "decode/lamp_table.hpp"
#include "decode/mode_tables.hpp"
#include "decode/power_table.hpp"

namespace qm5 {
namespace {

struct TableCase {
    const char* name;
    const DecodeTable& table;
    std::size_t rows;
};

class DecodeTableShape : public ::testing::TestWithParam<TableCase> {};

TEST_P(DecodeTableShape, KeysAreDistinctAndWellFormed)
{
    const TableCase& c = GetParam();
    ASSERT_EQ(c.table.rows.size(), c.rows);
    std::set<std::string_view> keys;
    for (const DecodeRow& row : c.table.rows) {
        SCOPED_TRACE(std::string(row.key));
        EXPECT_TRUE(keys.insert(row.key).second) << "duplicate key";
        ASSERT_EQ(row.key.size(), c.table.keyLength);
        // A key is the transcript of reply characters: blank, char, blank, char.
        for (std::size_t i = 0; i < row.key.size(); i += 2) {
            EXPECT_EQ(row.key[i], ' ');
            EXPECT_NE(row.key[i + 1], ' ');
        }
        ASSERT_FALSE(row.text.empty());
        EXPECT_EQ(row.text.front(), ' ');
    }
}

INSTANTIATE_TEST_SUITE_P(AllTables, DecodeTableShape,
    ::testing::Values(TableCase{"Power", kPowerStatusTable, 13},
                      TableCase{"InputMode", kInputModeTable, 4},
                      TableCase{"Orientation", kOrientationTable, 4},
                      TableCase{"MuteSignal", kMuteSignalTable, 6},
                      TableCase{"LampStatus", kLampStatusTable, 48}),
    [](const auto& info) { return std::string(info.param.name); });

// The lamp texts follow a rule: lamp list of the mask, " : ", mode text.
std::string LampTextByRule(char mode, int mask)
{
    static const char* const kModes[] = {"4 Lamp mode", "2 Lamp mode(1,4)", "2 Lamp mode(2,3)"};
    std::string lamps;
    if (mask == 0) {
        lamps = "All OFF";
    } else if (mask == 15) {
        lamps = "All ON ";
    } else {
        lamps = "No";
        for (int lamp = 0; lamp < 4; ++lamp) {
            if (mask & (1 << lamp)) {
                if (lamps.size() > 2) {
                    lamps += ',';
                }
                lamps += static_cast<char>('1' + lamp);
            }
        }
        lamps += " ON ";
    }
    return " " + lamps + " : " + kModes[mode - '0'];
}

TEST(LampStatusTable, CoversEveryModeAndMaskWithTheRuleText)
{
    const std::string hex = "0123456789ABCDEF";
    std::set<std::string_view> seen;
    for (const char mode : {'0', '1', '2'}) {
        for (int mask = 0; mask < 16; ++mask) {
            const std::string key = {' ', mode, ' ', hex[mask]};
            const auto text = LookupReplyKey(kLampStatusTable, key);
            ASSERT_TRUE(text.has_value()) << key;
            EXPECT_EQ(*text, LampTextByRule(mode, mask)) << key;
            seen.insert(*text);
        }
    }
    EXPECT_EQ(seen.size(), 48u);
}

} // namespace
} // namespace qm5
