// The virtual projector model: command table, projector state and the line.

#include "command_table.hpp"
#include "line.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "panel/command_catalogue.hpp"
#include "panel/repeat_table.hpp"
#include "protocol/decode_reply.hpp"
#include "protocol/transcript.hpp"

namespace qm5::sim {
namespace {

const std::string ack(1, Projector::ack);
const std::string nak(1, Projector::nak);

std::optional<std::string> decoded(const std::string& reply, std::string_view query)
{
    return decodeReply(renderTranscript(reply), std::string(query) + "\r", "");
}

TEST(SimCommandTable, KnowsEveryPanelCodeAndNoNearMiss)
{
    std::set<std::string_view> seen;
    for (const Command& command : commands)
        EXPECT_TRUE(seen.insert(command.text).second) << "duplicate " << command.text;
    for (const auto& b : oneShotButtons)
        EXPECT_TRUE(lookupCommand(b.code)) << b.code;
    for (const auto& b : heldButtons)
        EXPECT_TRUE(lookupCommand(b.code)) << b.code;
    for (const char* text : {"", "cr0", "C00 ", "C0", "CF INPUT1", "CF INPUT1VIDEO", "CF INPUT1  VIDEO",
             "CF INPUT1 video", "CF INPUT0 VIDEO", "CF INPUT5 VIDEO", "CR PRESSURE "})
        EXPECT_FALSE(lookupCommand(text)) << '"' << text << '"';
}

// Steps of time, command and reply (CR implied unless ACK or NAK).
void play(const std::vector<std::tuple<std::int64_t, const char*, std::string>>& steps, int address = 1)
{
    Projector projector(address);
    for (const auto& [atMs, command, reply] : steps) {
        const std::string expected = reply == ack || reply == nak ? reply : reply + '\r';
        EXPECT_EQ(projector.execute(command, atMs), expected) << command << " at " << atMs;
    }
}

TEST(SimProjector, PowerSequenceAndStateQueries)
{
    const std::string& a = ack; // count down 3000 ms, cooling 5000 ms
    play({{0, "CR0", "80"}, {100, "C00", a}, {101, "CR0", "40"}, {3099, "CR0", "40"}, {3100, "CR0", "00"},
        {3200, "C00", a}, {4000, "C01", a}, {4000, "CR0", "20"}, {5000, "C00", a}, {8999, "CR0", "20"},
        {9000, "CR0", "80"}, {9000, "C01", a}, {9010, "CR0", "80"}});
    play({{0, "C00", a}, {1000, "C01", a}, {5999, "CR0", "20"}, {6000, "CR0", "80"}}); // off in count down
    play({{0, "C00", a}, {2000, "C00", a}, {3000, "CR0", "00"}});                      // a second on restarts nothing
    play({{5000, "CR0", "80"}, {1000, "C00", a}, {7999, "CR0", "40"}, {8000, "CR0", "00"}}); // time backwards
    play({{0, "C72", a}, {0, "CR7", "20"}, {0, "C70", a}, {0, "C00", a}, {0, "CR7", "0F"}, {3000, "C71", a},
             {3000, "CR7", "19"}, {3000, "C72", a}, {3000, "CR7", "26"}, {3000, "C01", a}, {3000, "CR7", "20"}},
        2);
    play({{0, "CRA", "FF"}, {0, "C0D", a}, {0, "C00", a}, {10, "CRA", "FF"}, {3000, "CRA", "00"}, {3000, "C0D", a},
        {3000, "CRA", "03"}, {3100, "C0E", a}, {3100, "CRA", "00"}, {3100, "C0D", a}, {3100, "C01", a},
        {8100, "C00", a}, {11100, "CRA", "00"}});
    play({{0, "CR1", "1"}, {0, "C07", a}, {0, "CR1", "3"}, {0, "CF INPUT2 S-VIDEO", a}, {0, "CR1", "2"},
        {0, "CR4", "11"}, {0, "cr0", nak}, {0, "C99", nak}});
    EXPECT_THROW(Projector(0), std::invalid_argument);
    EXPECT_THROW(Projector(5), std::invalid_argument);
}

// Every query's answer decodes on the panel (P-FAIL has no decoder); anything
// else gets ACK. Each power status the projector can report has its own text.
// Every text of the power and mute tables, reached by the projector's own
// states and conditions: a changed text or two swapped rows show here.
TEST(SimProjector, RepliesDecodeOnThePanel)
{
    enum Phase {
        Standby,
        CountDown,
        On,
        Cooling,
        NoShow
    };
    const std::tuple<Condition, Phase, const char*, const char*> cases[] = {
        {Condition::None, Standby, " Stand by", " Stand by"},
        {Condition::None, CountDown, " Count down", " Stand by"},
        {Condition::None, On, " Power ON", " Video & Audio mute OFF"},
        {Condition::None, NoShow, " Power ON", " Video & Audio mute ON"},
        {Condition::None, Cooling, " Cooling down", " Stand by"},
        {Condition::PowerFail, On, " Power Fail", nullptr},
        {Condition::TemperatureWarning, On, " Temperature Warning(Power ON)", nullptr},
        {Condition::TemperatureWarning, Cooling, " Temperature Warning & cooling down", nullptr},
        {Condition::TemperatureWarning, Standby, " Temperature Warning and recoverd", nullptr},
        {Condition::NoKeyInput, On, " NO Key input ", nullptr},
        {Condition::LampsOffByPowerManagement, On, " Lamp OFF by PWR Management", nullptr},
        {Condition::LampsOffWithTemperatureWarning, On, " Lamp OFF & Tempereture Warning by PWR Management", nullptr},
        {Condition::AllLampsFailed, Cooling, " Cooling down (All Lamp FAIL)", nullptr},
        {Condition::AllLampsFailed, Standby, " Cooling down & sutandby (All Lamp FAIL)", nullptr},
        {Condition::NoSignal, On, " Power ON", " No signal"},
        {Condition::NoSignal, Standby, " Stand by", " Stand by"},
        {Condition::SoundMuted, On, " Power ON", " Audio mute ON"},
        {Condition::SoundMuted, NoShow, " Power ON", " Video & Audio mute ON"},
    };
    for (const auto& [condition, phase, power, mute] : cases) {
        Projector p(1, {2, 5});
        p.setCondition(condition);
        if (phase != Standby)
            p.execute("C00", 0);
        if (phase == Cooling)
            p.execute("C01", 2);
        if (phase == NoShow)
            p.execute("C0D", 2);
        const std::int64_t at = phase == CountDown ? 1 : 3;
        EXPECT_EQ(decoded(p.execute("CR0", at), "CR0"), power) << int(condition) << " " << phase;
        if (mute) {
            EXPECT_EQ(decoded(p.execute("CRA", at), "CRA"), mute) << int(condition) << " " << phase;
        }
    }

    for (const Command& command : commands) {
        const std::string reply = Projector(1).execute(command.text, 0);
        EXPECT_TRUE(command.action == Action::Query
                ? command.text == "CR INFPFAIL" || decoded(reply, command.text).has_value()
                : reply == ack)
            << command.text << ": " << reply;
    }
    EXPECT_EQ(decoded(Projector(1).execute("CR PRESSURE", 0), "CR PRESSURE"), "1013 hPa");
}

TEST(SimLine, Addressing)
{
    const std::tuple<std::vector<int>, std::string, std::string, std::set<int>> cases[] = {
        {{3}, "C00", ack, {3}},
        {{1, 2}, "C00", "", {1, 2}}, // no prefix, several units: all obey, none answers
        {{1, 2, 3, 4}, "A004C00", ack, {4}},
        {{1, 2}, "AFFFC00", "", {1, 2}},
        {{1, 2}, "A003C00", "", {}},
        {{1}, "A001", nak, {}},
        {{1}, "A101C00", "", {}},
        {{2}, "A002CR0", "80\r", {}},
    };
    for (const auto& [addresses, frame, reply, obeyed] : cases) {
        Line line(addresses, LineOptions{.replyDelayMs = 0});
        line.receive(frame + '\r', 0);
        EXPECT_EQ(line.takeDue(0), reply) << frame;
        std::set<int> on;
        for (int address : addresses)
            if (line.projector(address)->power() != PowerState::Standby)
                on.insert(address);
        EXPECT_EQ(on, obeyed) << frame;
    }
    for (const std::vector<int>& bad : {std::vector<int>{}, {0}, {5}, {1, 1}})
        EXPECT_THROW(Line{bad}, std::invalid_argument);
}

TEST(SimLine, FramingAndBoundedBuffers)
{
    // Pieces, LF and empty frames are fine; a control or high byte spoils its own frame only,
    // an overlong line is dropped up to its CR, a partial frame is dropped when the far end goes.
    const std::string writes[] = {"C", "R", "0", "\r\n\r\rCR1\r",
        "CR\x01"
        "0\rCR1\r",
        "\xff"
        "CR0\rCR4\r",
        std::string(200, 'X'), "C00\rCR0\r", "C\x7fR0\r", std::string(64, 'Y') + "\r", std::string(65, 'Y') + "\r",
        "C0"};
    Line line({1}, LineOptions{.replyDelayMs = 10});
    for (const std::string& bytes : writes)
        line.receive(bytes, 0);
    EXPECT_EQ(line.takeDue(10), "80\r1\r1\r11\r80\r" + nak) << "64 characters make a frame, 65 do not";
    line.resetInput();
    line.receive("CR0\r", 0);
    for (int i = 0; i < 1000; ++i) {
        line.receive(std::string(1000, 'Z'), 0);
        ASSERT_LE(line.reader().buffered(), FrameReader::maxFrame);
    }
    line.receive("\rCR0\r", 0);
    EXPECT_EQ(line.takeDue(10), "80\r80\r");
    std::string frames;
    for (int i = 0; i < 10000; ++i)
        frames += "CR3\r";
    line.receive(frames, 20);
    const std::size_t queued = line.pendingBytes(); // 20-byte replies up to the cap
    EXPECT_LE(queued, Line::maxPendingBytes);
    EXPECT_GT(queued, Line::maxPendingBytes - 20);
    EXPECT_EQ(line.takeDue(30).size(), queued);
}

// The reply to "CR0" at 0 ms in each fault mode, as taken at the given times.
TEST(SimLine, FaultModes)
{
    using Takes = std::vector<std::pair<std::int64_t, std::string>>;
    const std::pair<Fault, Takes> cases[] = {
        {Fault::None, {{29, ""}, {30, "80\r"}}},
        {Fault::Silent, {{10'000, ""}}},
        {Fault::Slow, {{699, ""}, {700, "80\r"}}},
        {Fault::Split, {{30, "8"}, {39, ""}, {40, "0"}, {50, "\r"}}},
        {Fault::Garbled, {{30, "xpM"}}},
    };
    for (const auto& [fault, takes] : cases) {
        Line line({1}, LineOptions{.replyDelayMs = 30, .slowDelayMs = 700, .fault = fault});
        line.receive("CR0\r", 0);
        for (const auto& [atMs, bytes] : takes)
            EXPECT_EQ(line.takeDue(atMs), bytes) << faultNames[int(fault)].first << " at " << atMs;
        EXPECT_FALSE(line.nextDueMs());
        line.receive("C00\r", 20'000); // every fault still lets the command act
        EXPECT_EQ(line.projector(1)->power(), PowerState::CountDown);
    }
    for (const auto& [name, fault] : faultNames)
        EXPECT_EQ(parseFault(name), fault);
    EXPECT_FALSE(parseFault("SLOW"));

    Line flood({1}, LineOptions{.replyDelayMs = 0, .fault = Fault::Flood});
    EXPECT_EQ(flood.takeDue(100).size(), 100u * Line::floodBytesPerMs);
    EXPECT_EQ(flood.takeDue(100'000).size(), Line::maxFloodBurst) << "one burst after a stall";
    flood.receive("CR0\r", 100'000);
    const std::string bytes = flood.takeDue(100'010);
    EXPECT_EQ(bytes.substr(0, 3), "80\r");
    EXPECT_EQ(bytes.size(), 3u + 10 * Line::floodBytesPerMs);
}

} // namespace
} // namespace qm5::sim
