#include "line.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace qm5::sim {
namespace {

const std::string kAck(1, Projector::kAck);
const std::string kNak(1, Projector::kNak);

std::set<int> poweredUp(Line& line)
{
    std::set<int> on;
    for (int address = 1; address <= 4; ++address) {
        if (Projector* p = line.projector(address); p && p->power() != PowerState::Standby)
            on.insert(address);
    }
    return on;
}

TEST(SimLine, Addressing)
{
    struct Case {
        std::vector<int> addresses;
        std::string frame;
        std::string reply;
        std::set<int> obeyed;
    };
    const std::vector<Case> cases = {
        {{1}, "C00", kAck, {1}},
        {{3}, "C00", kAck, {3}},
        {{1, 2}, "C00", "", {1, 2}},
        {{1, 2}, "A002C00", kAck, {2}},
        {{1, 2, 3, 4}, "A004C00", kAck, {4}},
        {{1, 2}, "AFFFC00", "", {1, 2}},
        {{1}, "AFFFC00", "", {1}},
        {{1, 2}, "A003C00", "", {}},
        {{1}, "A000C00", "", {}},
        {{1}, "A0FFC00", "", {}},
        {{1}, "A001", kNak, {}},
        {{1}, "a001C00", kNak, {}},
        {{2}, "A002CR0", "80\r", {}},
    };
    for (const Case& c : cases) {
        Line line(c.addresses, LineOptions{.replyDelayMs = 0});
        line.receive(c.frame + '\r', 0);
        EXPECT_EQ(line.takeDue(0), c.reply) << c.frame;
        EXPECT_EQ(poweredUp(line), c.obeyed) << c.frame;
    }
}

TEST(SimLine, AnswersAfterTheDelay)
{
    Line line({1}, LineOptions{.replyDelayMs = 30});
    EXPECT_FALSE(line.nextDueMs());
    line.receive("CR0\r", 100);
    EXPECT_EQ(line.nextDueMs(), 130);
    EXPECT_EQ(line.takeDue(129), "");
    EXPECT_EQ(line.takeDue(130), "80\r");
    EXPECT_EQ(line.takeDue(1000), "");
    EXPECT_FALSE(line.nextDueMs());
}

TEST(SimLine, Framing)
{
    struct Case {
        const char* name;
        std::vector<std::string> writes;
        std::string replies;
    };
    const std::string overlong(200, 'X');
    const std::vector<Case> cases = {
        {"two frames in one write", {"CR0\rCR1\r"}, "80\r1\r"},
        {"one frame in pieces", {"C", "R", "0", "\r"}, "80\r"},
        {"LF after CR", {"CR0\r\nCR1\r\n"}, "80\r1\r"},
        {"empty frames are ignored", {"\r\r\rCR1\r"}, "1\r"},
        {"control byte spoils its frame only", {"CR\x01" "0\rCR1\r"}, "1\r"},
        {"high byte spoils its frame only", {"\xff" "CR0\rCR1\r"}, "1\r"},
        {"overlong line is dropped up to its CR", {overlong, "C00\rCR0\r"}, "80\r"},
        {"a CR ends the runaway line", {overlong, "\r", "CR0\r"}, "80\r"},
        {"partial frame waits for its CR", {"CR0"}, ""},
    };
    for (const Case& c : cases) {
        Line line({1}, LineOptions{.replyDelayMs = 0});
        for (const std::string& bytes : c.writes)
            line.receive(bytes, 0);
        EXPECT_EQ(line.takeDue(0), c.replies) << c.name;
    }
}

TEST(SimLine, InputBufferStaysBounded)
{
    Line line({1}, LineOptions{.replyDelayMs = 0});
    const std::string junk(1000, 'Z');
    for (int i = 0; i < 1000; ++i) {
        line.receive(junk, 0);
        ASSERT_LE(line.reader().buffered(), FrameReader::kMaxFrame);
    }
    line.receive("\rCR0\r", 0);
    EXPECT_EQ(line.takeDue(0), "80\r");
    EXPECT_EQ(line.reader().skipped(), 1u);
}

TEST(SimLine, LostFarEndDropsThePartialFrame)
{
    Line line({1}, LineOptions{.replyDelayMs = 0});
    line.receive("C0", 0);
    line.resetInput();
    line.receive("CR0\r", 0);
    EXPECT_EQ(line.takeDue(0), "80\r");
}

TEST(SimLine, PendingRepliesStayBounded)
{
    Line line({1}, LineOptions{.replyDelayMs = 10});
    std::string frames;
    for (int i = 0; i < 10000; ++i)
        frames += "CR3\r";
    line.receive(frames, 0);
    // Each lamp-hours reply is 20 bytes; the queue fills up to the cap and no further.
    const std::size_t queued = line.pendingBytes();
    EXPECT_LE(queued, Line::kMaxPendingBytes);
    EXPECT_GT(queued, Line::kMaxPendingBytes - 20);
    EXPECT_EQ(line.takeDue(10).size(), queued);
    EXPECT_EQ(line.pendingBytes(), 0u);
}

// The reply to "CR0" at 0 ms in each fault mode, as taken at the given times.
TEST(SimLine, FaultModes)
{
    struct Take {
        std::int64_t atMs;
        std::string bytes;
    };
    struct Case {
        Fault fault;
        std::vector<Take> takes;
    };
    const std::vector<Case> cases = {
        {Fault::None, {{29, ""}, {30, "80\r"}}},
        {Fault::Silent, {{10'000, ""}}},
        {Fault::Slow, {{500, ""}, {699, ""}, {700, "80\r"}}},
        {Fault::Split, {{30, "8"}, {39, ""}, {40, "0"}, {50, "\r"}}},
        {Fault::Garbled, {{30, "xpM"}}},
    };
    for (const Case& c : cases) {
        Line line({1}, LineOptions{.replyDelayMs = 30, .slowDelayMs = 700, .splitPieceBytes = 1,
                                   .splitGapMs = 10, .fault = c.fault});
        line.receive("CR0\r", 0);
        for (const Take& take : c.takes)
            EXPECT_EQ(line.takeDue(take.atMs), take.bytes)
                << kFaultNames[static_cast<int>(c.fault)].first << " at " << take.atMs;
        EXPECT_FALSE(line.nextDueMs());
        // Every fault still lets the command act.
        line.receive("C00\r", 20'000);
        EXPECT_EQ(line.projector(1)->power(), PowerState::CountDown);
    }
}

TEST(SimLine, GarbledRepliesNeverDecode)
{
    Line line({1}, LineOptions{.replyDelayMs = 0, .fault = Fault::Garbled});
    for (const char* query : {"CR0\r", "CR1\r", "CR4\r", "CR7\r", "CRA\r", "CR PRESSURE\r"}) {
        line.receive(query, 0);
        const std::string bytes = line.takeDue(0);
        ASSERT_GE(bytes.size(), 2u) << query;
        // Status keys are built from digits and upper-case hex letters.
        EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(bytes[0]))) << query;
        EXPECT_FALSE(bytes[0] >= 'A' && bytes[0] <= 'F') << query;
        EXPECT_EQ(bytes.find('\r'), std::string::npos) << query;
    }
}

TEST(SimLine, SplitRepliesNeverInterleave)
{
    Line line({1}, LineOptions{.replyDelayMs = 30, .splitPieceBytes = 1, .splitGapMs = 10,
                               .fault = Fault::Split});
    // The second query comes while the first answer is still trickling out.
    line.receive("CR0\r", 0);
    line.receive("CR1\r", 5);
    std::string seen;
    while (const auto due = line.nextDueMs())
        seen += line.takeDue(*due);
    EXPECT_EQ(seen, "80\r1\r");
}

TEST(SimLine, FloodRunsAtLineSpeedAndCarriesReplies)
{
    Line line({1}, LineOptions{.replyDelayMs = 0, .fault = Fault::Flood});
    EXPECT_EQ(line.nextDueMs(), Line::kFloodTickMs);
    EXPECT_EQ(line.takeDue(100).size(), 100u * Line::kFloodBytesPerMs);
    EXPECT_EQ(line.nextDueMs(), 100 + Line::kFloodTickMs);
    // A host that stalled gets one burst, not the whole backlog.
    EXPECT_EQ(line.takeDue(100'000).size(), Line::kMaxFloodBurst);

    line.receive("CR0\r", 100'000);
    const std::string bytes = line.takeDue(100'010);
    EXPECT_EQ(bytes.substr(0, 3), "80\r");
    EXPECT_EQ(bytes.size(), 3u + 10 * Line::kFloodBytesPerMs);

    line.setFault(Fault::None, 100'010);
    EXPECT_FALSE(line.nextDueMs());
    line.setFault(Fault::Flood, 200'000);
    EXPECT_EQ(line.takeDue(200'005).size(), 5u * Line::kFloodBytesPerMs);
}

TEST(SimLine, RejectsBadAddressLists)
{
    const std::vector<std::vector<int>> bad = {{}, {0}, {5}, {1, 1}, {1, 2, 3, 4, 1}};
    for (const auto& addresses : bad)
        EXPECT_THROW(Line{addresses}, std::invalid_argument);
}

TEST(SimLine, FaultNames)
{
    std::set<Fault> seen;
    for (const auto& [name, fault] : kFaultNames) {
        EXPECT_EQ(parseFault(name), fault);
        EXPECT_TRUE(seen.insert(fault).second) << name;
    }
    EXPECT_FALSE(parseFault("SLOW"));
    EXPECT_FALSE(parseFault(""));
}

} // namespace
} // namespace qm5::sim
