#include "command_table.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qm5::sim {
namespace {

TEST(SimCommandTable, KeysAreUnique)
{
    std::set<std::string_view> seen;
    for (const Command& command : kCommands)
        EXPECT_TRUE(seen.insert(command.text).second) << "duplicate " << command.text;
}

// Everything the panel's buttons send must be understood.
TEST(SimCommandTable, KnowsThePanelsVocabulary)
{
    const char* fixed[] = {
        "C00", "C01", "C05", "C06", "C07", "C08", "C0D", "C0E", "C0F", "C10", "C1C", "C1D",
        "C43", "C44", "C70", "C71", "C72", "C89", "C27", "C8A", "C1E", "C3C", "C3D", "C3B",
        "C3A", "C3F", "C47", "C46", "C4B", "C4A", "C30", "C31", "C8E", "C8F", "C5D", "C5E",
        "C5F", "C60", "CF IMAGE STAND", "CF IMAGE REAL", "CF IMAGE CINEMA", "CF IMAGE IMAGE1",
        "CF IMAGE IMAGE2", "CF IMAGE IMAGE3", "CF IMAGE IMAGE4", "CF FANSPEED MAX",
        "CF FANSPEED NOR", "CR0", "CR1", "CR3", "CR4", "CR6", "CR7", "CR9", "CRA",
        "CR PRESSURE", "CR INFPFAIL",
    };
    for (const char* text : fixed)
        EXPECT_TRUE(lookupCommand(text).has_value()) << text;

    const char* words[] = {"DIGITAL", "ANALOG", "VIDEO", "YPBPR", "YCBCR", "S-VIDEO", "YC", "HD-SDI"};
    for (int input = 1; input <= 4; ++input) {
        for (const char* word : words) {
            const std::string text = "CF INPUT" + std::to_string(input) + " " + word;
            const auto command = lookupCommand(text);
            ASSERT_TRUE(command.has_value()) << text;
            EXPECT_EQ(command->action, Action::SetInputSource);
            EXPECT_EQ(command->arg, input);
            EXPECT_EQ(kSourceWords.at(command->step), word);
        }
    }
}

TEST(SimCommandTable, NearMissesAreUnknown)
{
    const char* unknown[] = {
        "",           "cr0",          "C00 ",           " C00",
        "C0",         "C000",         "CR",             "CF IMAGE",
        "CF INPUT",   "CF INPUT1",    "CF INPUT1 ",     "CF INPUT1VIDEO",
        "CF INPUT1  VIDEO",           "CF INPUT1 video", "CF INPUT0 VIDEO",
        "CF INPUT5 VIDEO",            "CF INPUT1 VIDEO ", "CR PRESSURE ",
    };
    for (const char* text : unknown)
        EXPECT_FALSE(lookupCommand(text).has_value()) << '"' << text << '"';
}

} // namespace
} // namespace qm5::sim
