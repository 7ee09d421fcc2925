#include "command_table.hpp"
#include "projector.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

namespace qm5::sim {
namespace {

const std::string kAck(1, Projector::kAck);
const std::string kNak(1, Projector::kNak);

struct Step {
    std::int64_t atMs;
    const char* command;
    const char* reply;  // CR implied for queries
};

struct Scenario {
    const char* name;
    std::vector<Step> steps;
};

std::string expected(const Step& step)
{
    const std::string reply = step.reply;
    if (reply == kAck || reply == kNak)
        return reply;
    return reply + '\r';
}

void play(const Scenario& scenario, Projector& projector)
{
    for (const Step& step : scenario.steps) {
        EXPECT_EQ(projector.execute(step.command, step.atMs), expected(step))
            << scenario.name << ": " << step.command << " at " << step.atMs;
    }
}

// Count down 3000 ms, cooling 5000 ms.
TEST(SimProjector, PowerSequence)
{
    const char* ack = kAck.c_str();
    const std::vector<Scenario> scenarios = {
        {"on then off",
         {{0, "CR0", "80"}, {100, "C00", ack}, {101, "CR0", "40"}, {3099, "CR0", "40"},
          {3100, "CR0", "00"}, {4000, "C01", ack}, {4000, "CR0", "20"}, {8999, "CR0", "20"},
          {9000, "CR0", "80"}}},
        {"off during count down cools at once",
         {{0, "C00", ack}, {1000, "C01", ack}, {1000, "CR0", "20"}, {5999, "CR0", "20"},
          {6000, "CR0", "80"}}},
        {"on while cooling is ignored",
         {{0, "C00", ack}, {3000, "C01", ack}, {4000, "C00", ack}, {7999, "CR0", "20"},
          {8000, "CR0", "80"}}},
        {"repeated on does not restart the count down",
         {{0, "C00", ack}, {2000, "C00", ack}, {3000, "CR0", "00"}}},
        {"off in standby stays in standby", {{0, "C01", ack}, {10, "CR0", "80"}}},
        {"a query long after the sequence sees its end",
         {{0, "C00", ack}, {1'000'000, "CR0", "00"}}},
        {"time running backwards is ignored",
         {{5000, "CR0", "80"}, {1000, "C00", ack}, {7999, "CR0", "40"}, {8000, "CR0", "00"}}},
    };
    for (const Scenario& scenario : scenarios) {
        Projector projector(1);
        play(scenario, projector);
    }
}

TEST(SimProjector, ZeroLengthSequencesAreOverAtOnce)
{
    Projector projector(1, ProjectorTiming{0, 0});
    projector.execute("C00", 10);
    EXPECT_EQ(projector.power(), PowerState::On);
    projector.execute("C01", 10);
    EXPECT_EQ(projector.power(), PowerState::Standby);
}

TEST(SimProjector, StateQueries)
{
    const char* ack = kAck.c_str();
    const std::vector<Scenario> scenarios = {
        {"lamps dark in standby, mode kept", {{0, "C72", ack}, {0, "CR7", "20"}}},
        {"four lamp mode",
         {{0, "C00", ack}, {0, "CR7", "0F"}, {3000, "CR7", "0F"}}},
        {"lamps 1 and 4", {{0, "C71", ack}, {0, "C00", ack}, {3000, "CR7", "19"}}},
        {"lamps 2 and 3", {{0, "C00", ack}, {3000, "C72", ack}, {3000, "CR7", "26"}}},
        {"lamps out while cooling",
         {{0, "C00", ack}, {3000, "C01", ack}, {3000, "CR7", "00"}}},
        {"mute reads stand by unless on",
         {{0, "CRA", "FF"}, {0, "C0D", ack}, {0, "C00", ack}, {10, "CRA", "FF"},
          {3000, "CRA", "00"}}},
        {"no show mutes video and audio",
         {{0, "C00", ack}, {3000, "C0D", ack}, {3000, "CRA", "03"}, {3100, "C0E", ack},
          {3100, "CRA", "00"}}},
        {"power off clears the mutes",
         {{0, "C00", ack}, {3000, "C0D", ack}, {3000, "C01", ack}, {8000, "C00", ack},
          {11000, "CRA", "00"}}},
        {"input buttons", {{0, "CR1", "1"}, {0, "C07", ack}, {0, "CR1", "3"}, {0, "C08", ack},
                           {0, "CR1", "4"}}},
        {"input source selects that input",
         {{0, "CF INPUT2 S-VIDEO", ack}, {0, "CR1", "2"}}},
        {"orientation", {{0, "CR4", "11"}}},
        {"unknown and mis-cased commands", {{0, "cr0", kNak.c_str()}, {0, "C99", kNak.c_str()}}},
    };
    for (const Scenario& scenario : scenarios) {
        Projector projector(2);
        play(scenario, projector);
    }
}

// Every known command answers something: a query its text and CR, any other ACK alone.
TEST(SimProjector, ReplyShapes)
{
    for (const Command& command : kCommands) {
        Projector projector(1);
        const std::string reply = projector.execute(command.text, 0);
        if (command.action != Action::Query) {
            EXPECT_EQ(reply, kAck) << command.text;
            continue;
        }
        ASSERT_GE(reply.size(), 2u) << command.text;
        EXPECT_EQ(reply.back(), '\r') << command.text;
        for (std::size_t i = 0; i + 1 < reply.size(); ++i)
            EXPECT_TRUE(reply[i] >= 32 && reply[i] <= 122) << command.text << " at " << i;
    }
}

std::vector<int> hoursIn(const std::string& reply)
{
    std::vector<int> hours;
    for (std::size_t at = 0; at + 4 <= reply.size(); at += 5)
        hours.push_back(std::stoi(reply.substr(at, 4)));
    return hours;
}

TEST(SimProjector, LampHoursGrowOnlyForLitLamps)
{
    constexpr std::int64_t hour = 3'600'000;
    Projector projector(3);
    const std::string before = projector.execute("CR3", 0);
    // The panel shows the first 19 characters.
    ASSERT_EQ(before.size(), 20u);
    for (std::size_t i = 0; i < 19; ++i)
        EXPECT_TRUE(i % 5 == 4 ? before[i] == ' ' : std::isdigit(before[i])) << before;

    projector.execute("C71", 0);
    projector.execute("C00", 0);
    projector.execute("C01", 2 * hour);  // lamps dark again after this
    const std::string after = projector.execute("CR3", 10 * hour);
    const auto a = hoursIn(before);
    const auto b = hoursIn(after);
    ASSERT_EQ(a.size(), 4u);
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[0], a[0] + 2);
    EXPECT_EQ(b[1], a[1]);
    EXPECT_EQ(b[2], a[2]);
    EXPECT_EQ(b[3], a[3] + 2);

    EXPECT_NE(Projector(1).execute("CR3", 0), before) << "units should be told apart";
}

TEST(SimProjector, LampHoursStopAtFourDigits)
{
    Projector projector(4);
    projector.execute("C00", 0);
    EXPECT_EQ(projector.execute("CR3", 20'000LL * 3'600'000), "9999 9999 9999 9999\r");
}

struct TemperatureReading {
    double intake;
    double exhaust;
};

// The panel shows characters 1 to 5 and 8 to 11.
TemperatureReading readTemperatures(const std::string& reply)
{
    EXPECT_GE(reply.size(), 12u);
    return {std::stod(reply.substr(0, 5)), std::stod(reply.substr(7, 4))};
}

TEST(SimProjector, TemperaturesFollowPowerAndFan)
{
    Projector projector(1);
    const auto cold = readTemperatures(projector.execute("CR6", 0));
    projector.execute("C00", 0);
    const auto warm = readTemperatures(projector.execute("CR6", 3000));
    projector.execute("CF FANSPEED MAX", 3000);
    const auto fanned = readTemperatures(projector.execute("CR6", 3000));

    EXPECT_GT(warm.intake, cold.intake);
    EXPECT_GT(warm.exhaust, warm.intake);
    EXPECT_LT(fanned.exhaust, warm.exhaust);
    EXPECT_LT(warm.exhaust, 100.0);
}

TEST(SimProjector, PressureIsAPlausibleReading)
{
    Projector projector(1);
    const std::string reply = projector.execute("CR PRESSURE", 0);
    ASSERT_EQ(reply.back(), '\r');
    const std::string digits = reply.substr(0, reply.size() - 1);
    ASSERT_FALSE(digits.empty());
    for (const char c : digits)
        ASSERT_TRUE(std::isdigit(c)) << reply;
    // The panel's conversion to hPa; a working unit at sea level reads near 1013.
    const double hpa = (5.0 * std::stoi(digits) / 1024 - 0.204) / 0.00459 + 150;
    EXPECT_NEAR(hpa, 1013, 5);
}

TEST(SimProjector, RejectsAddressesOutsideTheLine)
{
    EXPECT_THROW(Projector(0), std::invalid_argument);
    EXPECT_THROW(Projector(5), std::invalid_argument);
}

} // namespace
} // namespace qm5::sim
