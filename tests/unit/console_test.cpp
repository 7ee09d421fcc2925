// The console programs' logic on the manual clock: qm5ctl's rounds and
// stops, and the gateway's answers to what the line says.

#include <gtest/gtest.h>

#include <map>

#include "cli/command_runner.hpp"
#include "pjlink/cached_line.hpp"
#include "pjlink/pjlink_projector.hpp"
#include "support/logic.hpp"

namespace qm5::test {
namespace {

// A line that answers each code as told, 5 ms after the frame; silence for a
// code it has no answer for. It records when each frame went out.
struct ScriptedLine {
    FakeSerialControl serial;
    ManualClock clock;
    std::map<std::string, std::string> answers;
    std::vector<std::pair<std::int64_t, std::string>> sent;
    std::vector<std::pair<std::int64_t, std::string>> due;
    std::unique_ptr<Timer> pump = clock.timer(1, [this] {
        for (auto it = due.begin(); it != due.end();) {
            if (it->first > clock.now())
                return;
            const std::string bytes = it->second;
            it = due.erase(it);
            serial.receive(bytes);
        }
    });

    explicit ScriptedLine(int delayMs = 5)
    {
        serial.onWrite = [this, delayMs](const std::string& frame) {
            const std::string code = frame.substr(0, frame.size() - 1);
            sent.emplace_back(clock.now(), code);
            if (const auto a = answers.find(code); a != answers.end())
                due.emplace_back(clock.now() + delayMs, a->second);
        };
        pump->start();
    }
    std::vector<std::string> codes() const
    {
        std::vector<std::string> out;
        for (const auto& [at, code] : sent)
            out.push_back(code);
        return out;
    }
};

TEST(CommandRunner, RoundsKeepTheirPeriodAndAStopCountsWhatWasNotSent)
{
    using cli::CommandRunner;
    const std::vector<cli::Step> three{{"status", "CR0", 500}, {"mode", "CR1", 500}, {"pressure", "CR PRESSURE", 500}};
    {
        ScriptedLine line(300);
        line.answers = {{"CR0", "80\r"}, {"CR1", "1\r"}, {"CR PRESSURE", "853\r"}};
        ExchangeQueue queue(line.serial, line.clock);
        CommandRunner rounds(queue, line.clock, {three[0]}, "", 1000, [](const auto&, const auto&) {});
        rounds.start();
        line.clock.advance(2500);
        // From the start of a round to the start of the next, not from its end.
        EXPECT_EQ(
            line.sent, (std::vector<std::pair<std::int64_t, std::string>>{{0, "CR0"}, {1000, "CR0"}, {2000, "CR0"}}));
        rounds.stop();
        line.clock.advance(1000);
        EXPECT_TRUE(rounds.isFinished());
        EXPECT_EQ(rounds.exitStatus(), cli::allAnswered) << "rounds end by a stop";
    }
    ScriptedLine line(300);
    line.answers = {{"A001CR0", "80\r"}, {"A001CR1", "1\r"}, {"A001CR PRESSURE", "853\r"}};
    ExchangeQueue queue(line.serial, line.clock);
    std::vector<std::string> reported;
    CommandRunner once(queue, line.clock, three, "A001", std::nullopt,
        [&](const cli::Step& s, const auto&) { reported.push_back(s.name); });
    once.start();
    line.clock.advance(100);
    once.stop(); // the command in flight has its outcome; nothing is sent after it
    line.clock.advance(5000);
    EXPECT_EQ(line.codes(), std::vector<std::string>{"A001CR0"});
    EXPECT_EQ(reported, std::vector<std::string>{"status"});
    EXPECT_EQ(once.unsentCount(), 2u);
    EXPECT_EQ(once.exitStatus(), cli::notCarriedOut) << "a list cut short is not carried out";
}

// The gateway's answer to each thing the line can say.
TEST(PjlinkProjectorAnswers, ByWhatTheLineSays)
{
    struct Row {
        std::string command;
        std::map<std::string, std::string> answers;
        std::string answer;
        std::vector<std::string> sent;
    };
    const std::string ack(1, '\x06'), nak(1, '\x15');
    const Row rows[] = {
        {"%1POWR 1", {{"CR0", "80\r"}, {"C00", ack}}, "OK", {"CR0", "C00"}},
        {"%1POWR 1", {{"CR0", "80\r"}, {"C00", nak}}, "ERR3", {"CR0", "C00"}}, // refused now
        {"%1POWR 1", {{"CR0", "80\r"}}, "ERR4", {"CR0", "C00"}},               // no answer
        {"%1POWR 1", {{"CR0", "40\r"}}, "OK", {"CR0"}},                        // under way already
        {"%1POWR 0", {{"CR0", "40\r"}}, "ERR3", {"CR0"}},
        {"%1POWR 1", {{"CR0", "10\r"}}, "ERR4", {"CR0"}}, // a power failure
        {"%1INPT 12", {{"CR0", "80\r"}}, "ERR3", {"CR0"}},
        {"%1INPT 12", {{"CR0", "00\r"}, {"C06", ack}}, "OK", {"CR0", "C06"}},
        {"%1POWR ?", {{"CR0", nak}}, "ERR4", {"CR0"}},
        {"%1POWR ?", {{"CR0", "21\r"}}, "2", {"CR0"}},
        {"%1ERST ?", {{"CR0", "21\r"}}, "020000", {"CR0"}},
        {"%1AVMT ?", {{"CRA", "FF\r"}}, "30", {"CRA"}},
        {"%1AVMT ?", {{"CRA", "03\r"}}, "31", {"CRA"}},
        {"%1LAMP ?", {{"CR3", "0120 0340 0560 0780\r"}, {"CR7", "09\r"}}, "120 1 340 0 560 0 780 1", {"CR3", "CR7"}},
        {"%1LAMP ?", {{"CR3", "0120 0340 0560 0780\r"}}, "ERR4", {"CR3", "CR7"}},
    };
    for (const Row& row : rows) {
        ScriptedLine line;
        line.answers = row.answers;
        ExchangeQueue queue(line.serial, line.clock);
        pjlink::CachedLine cached(queue, line.clock, 1000);
        pjlink::PjlinkProjector projector(cached, "", {});
        std::string answer = "<none>";
        projector.handle(*pjlink::parseCommand(row.command), [&](const std::string& a) { answer = a; });
        line.clock.advance(5000);
        EXPECT_EQ(answer, row.answer) << row.command << " " << row.answers.begin()->second;
        EXPECT_EQ(line.codes(), row.sent) << row.command << " " << row.answers.begin()->second;
    }
}

// A read that was on the wire when a command went out is out of date once
// the command is through, however young it is.
TEST(CachedLine, ACommandForgetsWhatWasReadBeforeIt)
{
    ScriptedLine line;
    line.answers = {{"CR0", "80\r"}, {"C00", "\x06"}};
    ExchangeQueue queue(line.serial, line.clock);
    pjlink::CachedLine cached(queue, line.clock, 1000);
    int answers = 0;
    cached.query("", c::statusQuery, [&](const Outcome&) { ++answers; });
    cached.send("", c::powerOn, [&](const Outcome&) { ++answers; });
    line.clock.advance(100);
    cached.query("", c::statusQuery, [&](const Outcome&) { ++answers; });
    line.clock.advance(100);
    cached.query("", c::statusQuery, [&](const Outcome&) { ++answers; });
    line.clock.advance(100);
    EXPECT_EQ(answers, 4);
    EXPECT_EQ(line.codes(), (std::vector<std::string>{"CR0", "C00", "CR0"})) << "the last from the one before it";
    EXPECT_EQ(cached.counters().answered, 2u);
    EXPECT_EQ(cached.counters().acknowledged, 1u);
}

} // namespace
} // namespace qm5::test
