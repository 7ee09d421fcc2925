// Readings: numbers from replies, read only from the shapes we know.

#include <gtest/gtest.h>

#include "line.hpp"
#include "protocol/readings.hpp"

namespace qm5 {
namespace {

TEST(Readings, NumbersFromTheShapesWeKnowAndNothingFromOthers)
{
    using Hours = std::optional<std::array<int, 4>>;
    const std::pair<std::string, Hours> hours[] = {
        {"0120 0340 0560 0780\r", std::array{120, 340, 560, 780}},
        {"99999 0 7 12\r", std::array{99999, 0, 7, 12}},
        {"0120 0340 0560 0780", std::nullopt}, // not complete
        {"0120 0340 0560\r", std::nullopt},
        {"0120  0340 0560 0780\r", std::nullopt},
        {"0120 0340 0560 0780 0999\r", std::nullopt},
        {"123456 1 2 3\r", std::nullopt},
        {"-1 2 3 4\r", std::nullopt},
        {"12a 1 2 3\r", std::nullopt},
    };
    for (const auto& [reply, expected] : hours)
        EXPECT_EQ(readLampHours(reply), expected) << reply;

    using Temperatures = std::optional<std::array<double, 2>>;
    const std::pair<std::string, Temperatures> temperatures[] = {
        {"035.5  41.0\r", std::array{35.5, 41.0}},
        {"025.0  25.0\r", std::array{25.0, 25.0}},
        {"  9.5   7.5\r", std::array{9.5, 7.5}},
        {"123456789012\r", std::nullopt}, // the panel's example: no two blanks between
        {"035.5 41.0\r", std::nullopt},
        {"035.5  4x.0\r", std::nullopt},
        {"03.5.  41.0\r", std::nullopt},
        {"       41.0\r", std::nullopt},
    };
    for (const auto& [reply, expected] : temperatures)
        EXPECT_EQ(readTemperatures(reply), expected) << reply;

    // The panel's formula; "NG" and ".6", which the panel shows as 106 hPa, are no reading.
    const std::pair<std::string, std::optional<int>> pressures[] = {{"512\r", 650}, {"0512\r", 650}, {"853\r", 1013},
        {"12.5\r", 118}, {"13.5\r", 120}, {"-5\r", 100}, {"+5\r", 111}, {"NG\r", std::nullopt}, {".6\r", std::nullopt},
        {"5.\r", std::nullopt}, {"5 12\r", std::nullopt}, {"\x06\r", std::nullopt}};
    for (const auto& [reply, hpa] : pressures)
        EXPECT_EQ(readPressureHpa(reply), hpa) << reply;

    EXPECT_EQ(readInput("3\r"), 3);
    EXPECT_EQ(readInput("31\r"), 3);
    EXPECT_EQ(readInput("0\r"), std::nullopt);
    EXPECT_EQ(readInput("3"), std::nullopt);
}

TEST(Readings, StatesAndFlags)
{
    const auto power = [](const char* reply) { return readPower(reply).value_or(PowerReading{PowerState::Fail}); };
    EXPECT_EQ(power("00\r").state, PowerState::On);
    EXPECT_EQ(power("40\r").state, PowerState::Warming);
    EXPECT_EQ(power("20\r").state, PowerState::Cooling);
    EXPECT_TRUE(power("28\r").state == PowerState::Cooling && power("28\r").temperatureWarning);
    EXPECT_TRUE(power("81\r").state == PowerState::Standby && power("81\r").allLampsFailed);
    EXPECT_EQ(readPower("A0\r").has_value(), false);
    EXPECT_EQ(
        warningNames(power("24\r")), (std::vector<std::string_view>{"temperature", "lamps-off-by-power-management"}));
    const ErrorStatus failed = errorStatusOf(power("10\r"));
    EXPECT_EQ(std::string(failed.digits.begin(), failed.digits.end()), "000002");
    const ErrorStatus lamps = errorStatusOf(power("21\r"));
    EXPECT_EQ(std::string(lamps.digits.begin(), lamps.digits.end()), "020000");

    const auto lamps1 = readLampStatus("1F\r");
    ASSERT_TRUE(lamps1);
    EXPECT_EQ(lampModeName(lamps1->mode), "1-4");
    EXPECT_EQ(lamps1->lit, (std::array{true, true, true, true}));
    EXPECT_EQ(readLampStatus("05\r")->lit, (std::array{true, false, true, false}));
    EXPECT_EQ(lampModeName(readLampStatus("22\r")->mode), "2-3");
    EXPECT_FALSE(readLampStatus("0a\r") || readLampStatus("30\r"));

    const auto mute = [](const char* reply) { return readMute(reply).value_or(MuteReading{}); };
    EXPECT_TRUE(mute("01\r").video && !mute("01\r").audio);
    EXPECT_TRUE(!mute("02\r").video && mute("02\r").audio);
    EXPECT_EQ(mute("80\r").signal, MuteReading::Signal::None);
    EXPECT_EQ(mute("FF\r").signal, MuteReading::Signal::Standby);
    EXPECT_FALSE(readMute("ff\r"));

    EXPECT_TRUE(readOrientation("10\r")->topBottomReversed && !readOrientation("10\r")->leftRightReversed);
}

// What the virtual projector answers reads back as what it is.
TEST(Readings, TheVirtualProjectorReadsAsItIs)
{
    sim::Projector p(2, {0, 0});
    p.execute("C71", 0);
    p.execute("C00", 0);
    p.execute("C07", 0);
    EXPECT_EQ(readPower(p.execute("CR0", 10))->state, PowerState::On);
    EXPECT_EQ(readInput(p.execute("CR1", 10)), 3);
    EXPECT_EQ(readLampStatus(p.execute("CR7", 10))->lit, (std::array{true, false, false, true}));
    EXPECT_EQ(readLampHours(p.execute("CR3", 10)), (std::array{1120, 1340, 1560, 1780}));
    EXPECT_EQ(readTemperatures(p.execute("CR6", 10)), (std::array{35.5, 37.5}));
    EXPECT_EQ(readPressureHpa(p.execute("CR PRESSURE", 10)), 1013);
    EXPECT_EQ(readMute(p.execute("CRA", 10))->signal, MuteReading::Signal::Present);
}

} // namespace
} // namespace qm5
