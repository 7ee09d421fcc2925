// The exchange engine, start-up, the port options and END, on the manual clock.

#include <gtest/gtest.h>

#include <filesystem>

#include "link/exchange_queue.hpp"
#include "link/port_map.hpp"
#include "support/logic.hpp"

namespace qm5::test {
namespace {

struct ExchangeTest : ::testing::Test, Logic {
    void status() { ASSERT_TRUE(panel.clicked(c::statusQuery)); }
};

TEST_F(ExchangeTest, StatusQueryFromSendToClearedDisplay)
{
    status();
    EXPECT_EQ(serial.writes, std::vector<std::string>{"CR0\r"});
    EXPECT_EQ(shown(c::txdLine), " C R 0 CR ");
    EXPECT_TRUE(exchange().awaitingReply());
    clock.advance(30);
    serial.receive("8");
    EXPECT_EQ(shown(c::rxdLine), " 8 ");
    EXPECT_EQ(shown(c::statusLine), "");
    EXPECT_FALSE(exchange().awaitingReply());
    serial.receive("0\r");
    EXPECT_EQ(shown(c::rxdLine), " 8 0 CR ");
    EXPECT_EQ(shown(c::statusLine), " Stand by");

    clock.advance(469); // 499 ms after the send: the reply window is still open
    EXPECT_EQ(exchange().receiveBuffer(), "80\r");
    clock.advance(1);
    EXPECT_EQ(exchange().receiveBuffer(), "");
    EXPECT_EQ(shown(c::rxdLine), " 8 0 CR ") << "an answered query keeps its reply on show";
    clock.advance(499);
    EXPECT_EQ(shown(c::statusLine), " Stand by");
    clock.advance(1);
    EXPECT_EQ(shown(c::txdLine) + shown(c::rxdLine) + shown(c::statusLine), "");
    EXPECT_FALSE(exchange().replyTimer().isActive() || exchange().clearTimer().isActive());
}

// Late, unsolicited and doubled replies: the buffer is what counts, decoded from its start.
TEST_F(ExchangeTest, WhatStandsInTheBufferIsDecodedFromItsStart)
{
    status();
    clock.advance(600);
    serial.receive("00\r"); // late: shown and decoded, kept until the next window ends
    EXPECT_EQ(shown(c::statusLine), " Power ON");
    EXPECT_EQ(exchange().receiveBuffer(), "00\r");
    status();
    serial.receive("80\r");
    EXPECT_EQ(shown(c::rxdLine), " 0 0 CR 8 0 CR ");
    EXPECT_EQ(shown(c::statusLine), " Power ON");
    clock.advance(300);
    status(); // a second send restarts the window and keeps the buffer
    clock.advance(499);
    EXPECT_EQ(exchange().receiveBuffer(), "00\r80\r");
    clock.advance(1);
    EXPECT_EQ(exchange().receiveBuffer(), "");
}

// A sender's reply times stay for later sends, STATUS included, which sets none.
TEST_F(ExchangeTest, ReplyTimesLastUntilTheNextSenderSetsThem)
{
    const std::tuple<std::string_view, int, int> cases[] = {{c::powerOn, 500, 1000}, {c::inputMatrix[0][3], 5000, 5500},
        {c::powerOn, 5000, 5500}, {c::powerFailQuery, 2000, 2500}, {c::pictureImage1, 2000, 2500},
        {c::inputMatrix[3][7], 5000, 5500}, {c::sendButton, 2000, 2500}};
    for (const auto& [first, replyWindow, displayClear] : cases) {
        SCOPED_TRACE(std::string(first));
        ASSERT_TRUE(panel.clicked(first));
        clock.advance(10000);
        status();
        clock.advance(replyWindow - 1);
        EXPECT_EQ(shown(c::rxdLine), "");
        clock.advance(1);
        EXPECT_EQ(shown(c::rxdLine), " X X X X");
        clock.advance(displayClear - replyWindow - 1);
        EXPECT_EQ(shown(c::txdLine), " C R 0 CR ");
        clock.advance(1);
        EXPECT_EQ(shown(c::txdLine) + shown(c::rxdLine), "");
        clock.advance(10000);
    }
}

TEST_F(ExchangeTest, ReceiveBufferIsCappedUnderAnEndlessStream)
{
    for (int i = 0; i < 100; ++i)
        serial.receive(std::string(1000, 'Q'));
    EXPECT_EQ(exchange().receiveBuffer().size(), 32767u);
    EXPECT_EQ(shown(c::rxdLine).size(), 2 * Exchange::receiveBufferCap + 1);
    status();
    clock.advance(500);
    status();
    serial.receive("80\r" + std::string(40000, '7'));
    EXPECT_EQ(exchange().receiveBuffer().size(), Exchange::receiveBufferCap);
    EXPECT_EQ(shown(c::statusLine), " Stand by") << "the kept start of an overlong reply is decoded";
}

// Port 1 is the link when it exists, even dangling, else the first built-in port.
TEST(PortMap, TheLinkWhenItExistsElseTheBuiltInPort)
{
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "qm5-port-map";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const PortDevices devices{(dir / "com").string(), {"/dev/first", "/dev/second"}};
    std::filesystem::create_symlink("/nonexistent/ttyUSB0", dir / "com2");
    const std::pair<int, std::string> cases[] = {
        {1, "/dev/first"}, {2, (dir / "com2").string()}, {0, ""}, {3, ""}, {-1, ""}};
    for (const auto& [port, device] : cases)
        EXPECT_EQ(devicePathForPort(port, devices), device) << port;
    for (const int port : {1, 2}) { // the machine's own map
        const std::string link = "/dev/qm5rsc-com" + std::to_string(port);
        EXPECT_EQ(
            devicePathForPort(port), std::filesystem::exists(link) ? link : "/dev/ttyS" + std::to_string(port - 1));
    }
}

const std::string noS0 = "/dev/ttyS0: No such file or directory";
const std::string noS1 = "/dev/ttyS1: No such file or directory";

TEST_F(ExchangeTest, StartUpOpensPortOneAtTheStartSettings)
{
    EXPECT_TRUE(serial.isOpen() && serial.portNumber() == 1);
    EXPECT_EQ(serial.settings, "19200,N,8,1");
    EXPECT_EQ(display.checkedOptions, std::vector<std::string>{std::string(c::com1)});
    EXPECT_FALSE(display.isVisible(c::portPanel));
    EXPECT_TRUE(display.warnings.empty());
    EXPECT_EQ(display.height, outerHeight(View::Compact));

    Logic missing(false); // port 1 absent: one warning, and the panel carries on closed
    missing.serial.failingPorts[1] = noS0;
    missing.panel.load();
    EXPECT_EQ(missing.display.warnings, std::vector<std::string>{noS0});
    EXPECT_TRUE(!missing.serial.isOpen() && missing.serial.portNumber() == 1);
}

TEST_F(ExchangeTest, PortSwitchesAndTheirFailures)
{
    panel.optionChosen(c::address001);
    panel.clicked(c::powerOn);
    panel.comClicked();
    ASSERT_TRUE(panel.optionChosen(c::com2));
    EXPECT_TRUE(serial.isOpen() && serial.portNumber() == 2);
    EXPECT_FALSE(display.isVisible(c::portPanel));
    EXPECT_EQ(exchange().lastFrame(), "A001C00\r");
    EXPECT_EQ(shown(c::txdLine), " A 0 0 1 C 0 0 CR ");

    serial.failingPorts[1] = noS0; // back to COM1, which fails: warn, fall back to 2, closed
    panel.comClicked();
    panel.optionChosen(c::com1);
    EXPECT_EQ(display.warnings, std::vector<std::string>{noS0});
    EXPECT_TRUE(!serial.isOpen() && serial.portNumber() == 2);
    EXPECT_EQ(display.checkedOptions.back(), c::com2) << "the checked option names the port in use";
    EXPECT_TRUE(display.isVisible(c::portPanel));
    panel.optionChosen(c::com1); // while closed: only the number, and the panel hides
    EXPECT_EQ(display.warnings.size(), 1u);
    EXPECT_EQ(serial.portNumber(), 1);
    EXPECT_FALSE(display.isVisible(c::portPanel));

    // A send on the closed port tries once, quietly; once the device is back it goes out.
    panel.clicked(c::powerOff);
    EXPECT_EQ(serial.writes.size(), 1u);
    clock.advance(500);
    EXPECT_EQ(shown(c::rxdLine), " X X X X");
    serial.failingPorts.clear();
    panel.clicked(c::powerOff);
    EXPECT_TRUE(serial.isOpen());
    EXPECT_EQ(serial.writes.back(), "A001C01\r");
    EXPECT_EQ(display.warnings.size(), 1u) << "a send never raises a message box";
}

TEST_F(ExchangeTest, EndClosesThePortAndStopsEveryTimer)
{
    panel.comClicked();
    panel.pressed(c::zoomPlus);
    panel.endClicked();
    EXPECT_TRUE(display.ended && !serial.isOpen());
    const std::size_t frames = serial.writes.size();
    clock.advance(10000);
    EXPECT_EQ(serial.writes.size(), frames);
    EXPECT_EQ(shown(c::txdLine), " C 4 7 CR ") << "nothing fires after END";
}

// The engine without a window: one request at a time against virtual projectors.
struct QueueRig {
    FakeSerialControl serial;
    ManualClock clock;
    SimWire wire;
    sim::Line& line = wire.line;
    ExchangeQueue queue{serial, clock};
    std::vector<std::pair<std::int64_t, Outcome>> done; // when, what

    explicit QueueRig(sim::LineOptions options, std::vector<int> addresses = {1, 2})
        : wire(serial, clock, addresses, options)
    { }
    void submit(std::string prefix, std::string command, int windowMs = 500)
    {
        queue.submit({std::move(prefix), std::move(command), windowMs},
            [this](const Outcome& o) { done.emplace_back(clock.now(), o); });
    }
};

TEST(ExchangeQueueTest, OneRequestAtATimeEachMatchedToItsReply)
{
    using K = Outcome::Kind;
    QueueRig rig({.replyDelayMs = 30});
    rig.submit("A001", "CR0");
    rig.submit("A002", "C00");
    rig.submit("A001", "NOPE");
    rig.submit("A001", "CRX"); // a query the projector does not know: refused at once
    rig.submit("AFFF", "C01");
    rig.submit("A003", "CR1", 2000); // nobody there
    rig.submit("A002", "CR0");
    rig.clock.advance(10000);
    const std::tuple<std::int64_t, K, std::string, std::optional<std::string>> expected[] = {
        {30, K::Answered, "80\r", " Stand by"}, {60, K::Acknowledged, "\x06", std::nullopt},
        {90, K::Refused, "\x15", std::nullopt}, {120, K::Refused, "\x15", std::nullopt},
        {120, K::SentToAll, "", std::nullopt}, {2120, K::Missing, "", std::nullopt},
        {3150, K::Answered, "20\r", " Cooling down"}};
    ASSERT_EQ(rig.done.size(), std::size(expected));
    for (std::size_t i = 0; i < rig.done.size(); ++i) {
        const auto& [at, outcome] = rig.done[i];
        EXPECT_EQ(std::tie(at, outcome.kind, outcome.reply, outcome.status),
            std::tie(
                std::get<0>(expected[i]), std::get<1>(expected[i]), std::get<2>(expected[i]), std::get<3>(expected[i])))
            << outcome.frame;
    }
    EXPECT_EQ(rig.serial.writes,
        (std::vector<std::string>{
            "A001CR0\r", "A002C00\r", "A001NOPE\r", "A001CRX\r", "AFFFC01\r", "A003CR1\r", "A002CR0\r"}));
}

// A reply after its window is dropped, never taken for the next request's.
TEST(ExchangeQueueTest, LateRepliesAndAClosedLineAreNeverTakenForAnAnswer)
{
    QueueRig slow({.replyDelayMs = 30, .slowDelayMs = 700, .fault = sim::Fault::Slow}, {1});
    slow.submit("", "CR0");
    slow.submit("", "CR1", 2000);
    slow.clock.advance(10000);
    ASSERT_EQ(slow.done.size(), 2u);
    EXPECT_EQ(slow.done[0].second.kind, Outcome::Kind::Missing);
    EXPECT_EQ(slow.done[1].first, 500 + ExchangeQueue::lateReplyGuardMs + 700) << "sent after the guard";
    EXPECT_EQ(slow.done[1].second.reply, "1\r") << "the late 80 to CR0 is not CR1's answer";
    EXPECT_EQ(slow.done[1].second.status, " Input mode 1");

    QueueRig closed({}, {1});
    closed.serial.close();
    closed.serial.failingPorts[1] = "/dev/ttyS0: No such file or directory";
    closed.submit("", "CR0");
    ASSERT_EQ(closed.done.size(), 1u);
    EXPECT_EQ(closed.done[0].second.kind, Outcome::Kind::NotSent);
    EXPECT_EQ(closed.done[0].second.error, "/dev/ttyS0: No such file or directory");
}

// What counts as an answer depends on what was asked: bytes that are
// another request's late answer, or part of a reply, never end it.
TEST(ExchangeQueueTest, RepliesAreMatchedByTheirShape)
{
    using K = Outcome::Kind;
    const std::string ack(1, '\x06'), nak(1, '\x15');
    const std::tuple<const char*, std::vector<std::string>, K, std::string> rows[] = {
        {"C00", {"80\r", ack}, K::Acknowledged, ack},               // a query's late reply is no command's answer
        {"CR0", {ack, "80\r"}, K::Answered, "80\r"},                // a command's late ACK is no query's answer
        {"CR0", {"8", nak, "0\r"}, K::Answered, "8" + nak + "0\r"}, // a NAK inside a reply is part of it
        {"CR0", {nak}, K::Refused, nak}, {"C00", {nak}, K::Refused, nak},
        {"TEXT", {"12\r"}, K::Answered, "12\r"},                                  // free text takes either
        {"TEXT", {ack}, K::Acknowledged, ack}, {"CR0", {"80"}, K::Missing, "80"}, // no CR within the window
    };
    for (const auto& [command, pieces, kind, reply] : rows) {
        FakeSerialControl serial;
        ManualClock clock;
        ExchangeQueue queue(serial, clock);
        std::vector<Outcome> done;
        queue.submit({"", command}, [&](const Outcome& o) { done.push_back(o); });
        for (const std::string& piece : pieces) {
            clock.advance(10);
            serial.receive(piece);
        }
        clock.advance(600);
        ASSERT_EQ(done.size(), 1u) << command;
        EXPECT_EQ(done[0].kind, kind) << command << " " << pieces.size();
        EXPECT_EQ(done[0].reply, reply) << command << " " << pieces.size();
    }
}

} // namespace
} // namespace qm5::test
