#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "decode/decode_reply.hpp"
#include "decode/pressure.hpp"
#include "link/transcript.hpp"

namespace qm5 {
namespace {

std::optional<std::string> DecodePressureReply(const std::string& reply)
{
    return DecodeReply(RenderTranscript(reply), "CR PRESSURE\r", "");
}

struct TextCase {
    std::string reply;
    std::optional<std::string> status;
};

TEST(PressureReadout, KnownReplies)
{
    const TextCase cases[] = {
        {"0\r", "106 hPa"},
        {"NG\r", "106 hPa"},
        {"\x06", "106 hPa"},
        {"5", "111 hPa"}, // first piece of a longer reply
        {"5\r", "111 hPa"},
        {"512\r", "650 hPa"},
        {"0512\r", "650 hPa"},
        {"1000\r", "1169 hPa"},
        {"1023\r", "1194 hPa"},
        {"6553\r", "7077 hPa"},
        {"-6553\r", "-6865 hPa"},
        {"12.5\r", "118 hPa"},
        {"13.5\r", "120 hPa"},
        {"-5\r", "100 hPa"},
        {"+5\r", "111 hPa"},
        {"1E3\r", "107 hPa"},
        {"&H10\r", "106 hPa"},
        // Beyond the 16-bit range the formula still holds.
        {"100000\r", "106485 hPa"},
        {"-100000\r", "-106274 hPa"},
        {std::string(300, '7') + "\r", std::nullopt},
        {"3000000000\r", std::nullopt},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(DecodePressureReply(c.reply), c.status) << c.reply;
    }
}

struct ReadCase {
    std::string text;
    std::optional<std::int64_t> reading;
};

TEST(ReadPressureReading, ParsesAndRoundsHalfToEven)
{
    const std::string eighteenNines(18, '9');
    const ReadCase cases[] = {
        {" 5 1 2 CR ", 512},
        {"", 0},
        {".", 0},
        {"-", 0},
        {"--5", 0},
        {"5.", 5},
        {".5", 0},
        {"2.5", 2},
        {"12.5", 12},
        {"13.5", 14},
        {"-12.5", -12},
        {"-13.5", -14},
        {"12.4999", 12},
        {"12.50001", 13},
        {"1.2.3", 1},
        {"1 2 . 5 0 0", 12},
        {eighteenNines, 999999999999999999},
        {eighteenNines + ".5", 1000000000000000000},
        {"1" + eighteenNines, std::nullopt},
        {"0000" + eighteenNines, 999999999999999999},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(ReadPressureReading(c.text), c.reading) << '"' << c.text << '"';
    }
}

TEST(ReadPressureReading, LongTranscripts)
{
    EXPECT_EQ(ReadPressureReading(std::string(100000, '0') + "5"), 5);
    EXPECT_EQ(ReadPressureReading(std::string(100000, '9')), std::nullopt);
    // The half is judged on the digits, however many zeros follow.
    EXPECT_EQ(ReadPressureReading("2.5" + std::string(100000, '0')), 2);
    EXPECT_EQ(ReadPressureReading("2.5" + std::string(100000, '0') + "1"), 3);
    const std::string flood = RenderTranscript(std::string(50000, '8') + "\r");
    EXPECT_EQ(DecodeReply(flood, "CR PRESSURE\r", ""), std::nullopt);
}

TEST(ReadPressureReading, RoundTripsRenderedIntegers)
{
    std::mt19937 rng(5);
    std::uniform_int_distribution<std::int32_t> value(std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max());
    for (int i = 0; i < 500; ++i) {
        const std::int32_t n = value(rng);
        EXPECT_EQ(ReadPressureReading(RenderTranscript(std::to_string(n) + "\r")), n);
    }
}

TEST(PressureFromReading, ExactHalvesAndThe32BitEdge)
{
    const std::pair<std::int64_t, std::optional<std::int32_t>> cases[] = {
        // These readings land exactly on .5 in double.
        {13872, 14862},
        {116688, 124238},
        {-838032, -891388},
        {2018703248, std::numeric_limits<std::int32_t>::max()},
        {2018703249, std::nullopt},
        {-2018703448, std::numeric_limits<std::int32_t>::min()},
        {-2018703449, std::nullopt},
        {std::numeric_limits<std::int64_t>::max(), std::nullopt},
        {std::numeric_limits<std::int64_t>::min(), std::nullopt},
    };
    for (const auto& [reading, hpa] : cases) {
        EXPECT_EQ(PressureFromReading(reading), hpa) << reading;
    }
}

} // namespace
} // namespace qm5
