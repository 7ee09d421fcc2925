// The gateway's watch on the projectors: the poller on a manual clock, the
// exposition, the HTTP side, and a real scrape checked by promtool.

#include <QProcess>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include "pjlink/metrics.hpp"
#include "pjlink/metrics_server.hpp"
#include "pjlink/poller.hpp"
#include "rig/gateway_rig.hpp"
#include "support/logic.hpp"

namespace qm5::test {
namespace {

bool has(const std::string& text, const std::string& line)
{
    return text.find("\n" + line + "\n") != std::string::npos;
}

TEST(MetricsExposition, KnownReadingsInBaseUnitsAndTheUnknownLeftOut)
{
    pjlink::MetricsInput input;
    input.serialLineUp = true;
    input.exchanges.missing = 3;
    input.unparsed = {{"lamp_hours", 2}};
    pjlink::ProjectorReadings known;
    known.up = true;
    known.lastPollUnixMs = 1'700'000'000'250;
    known.power = readPower("28\r");
    known.lampHours = {{120, 340, 560, 780}};
    known.lamps = readLampStatus("09\r");
    known.temperatures = {{35.5, 41}};
    known.pressureHpa = 1013;
    known.input = 3;
    known.mute = readMute("80\r");
    pjlink::ProjectorReadings asleep;
    asleep.mute = readMute("FF\r");
    input.projectors = {{"001", known}, {"002", {}}, {"003", asleep}};
    const std::string text = "\n" + renderMetrics(input);
    for (const char* line : {"qm5_up{projector=\"001\"} 1", "qm5_up{projector=\"002\"} 0",
             "qm5_last_poll_timestamp_seconds{projector=\"001\"} 1700000000.25", "qm5_serial_line_up 1",
             "qm5_power_state{projector=\"001\",state=\"cooling\"} 1",
             "qm5_power_state{projector=\"001\",state=\"standby\"} 0",
             "qm5_error_status{projector=\"001\",component=\"temperature\"} 1",
             "qm5_error_status{projector=\"001\",component=\"lamp\"} 0",
             "qm5_lamp_operating_seconds{projector=\"001\",lamp=\"4\"} 2808000",
             "qm5_lamp_on{projector=\"001\",lamp=\"1\"} 1", "qm5_lamp_on{projector=\"001\",lamp=\"2\"} 0",
             "qm5_lamp_on{projector=\"001\",lamp=\"4\"} 1",
             "qm5_temperature_celsius{projector=\"001\",sensor=\"1\"} 35.5",
             "qm5_temperature_celsius{projector=\"001\",sensor=\"2\"} 41",
             "qm5_pressure_pascals{projector=\"001\"} 101300", "qm5_input{projector=\"001\"} 3",
             "qm5_signal_present{projector=\"001\"} 0", "qm5_serial_exchanges_total{outcome=\"missing\"} 3",
             "qm5_unparsed_replies_total{query=\"lamp_hours\"} 2", "qm5_pjlink_clients 0"})
        EXPECT_TRUE(has(text, line)) << line;
    // Nothing is known of 002 but that it does not answer.
    EXPECT_EQ(text.find("projector=\"002\","), std::string::npos) << text;
    EXPECT_EQ(text.find("qm5_input{projector=\"002\"}"), std::string::npos);
    EXPECT_EQ(text.find("qm5_signal_present{projector=\"003\"}"), std::string::npos) << "no signal in standby";
    EXPECT_EQ(pjlink::escapeLabelValue("a\"b\\c\nd"), "a\\\"b\\\\c\\nd");
}

// Two projectors behind a fake serial port and the virtual projectors, on a
// manual clock: the poller, the line and what is known of each.
struct PollRig {
    FakeSerialControl serial;
    ManualClock clock;
    SimWire wire{serial, clock, {1, 2}, {.replyDelayMs = 10}};
    ExchangeQueue queue{serial, clock};
    std::vector<std::string> logged;
    pjlink::CachedLine line{queue, clock, 1000};
    pjlink::ProjectorWatch watch{[this](const std::string& text) { logged.push_back(text); }};
    std::unique_ptr<pjlink::Poller> poller;

    explicit PollRig(int periodMs)
    {
        line.setObserver([this](const std::string& prefix, std::string_view button, const Outcome& outcome) {
            watch.note(prefix, button, outcome);
        });
        serial.open();
        poller = std::make_unique<pjlink::Poller>(
            line, clock, watch, std::vector<std::string>{"A001", "A002"}, periodMs, [this] { return clock.now(); },
            [this](const std::string& text) { logged.push_back(text); });
    }
};

TEST(Poller, RequestsGoFirstEveryQueryIsReadAndRoundsKeepTheirPeriod)
{
    PollRig rig(1000);
    rig.poller->start();
    // A client's query while the first poll is on the wire goes next.
    rig.line.query("A002", c::lampTimeQuery, [](const Outcome&) {});
    rig.clock.advance(50);
    ASSERT_GE(rig.serial.writes.size(), 3u);
    EXPECT_EQ(std::vector(rig.serial.writes.begin(), rig.serial.writes.begin() + 3),
        (std::vector<std::string>{"A001CR0\r", "A002CR3\r", "A001CR1\r"}));
    rig.clock.advance(950);
    EXPECT_EQ(rig.serial.writes.size(), 2 * pjlink::watchedQueries.size() + 1 + 1) << "a second round at 1000 ms";
    const pjlink::ProjectorReadings two = rig.watch.readings("A002");
    EXPECT_TRUE(two.up && two.power && two.input && two.mute && two.lamps && two.temperatures && two.pressureHpa);
    EXPECT_EQ(two.lampHours, (std::array{1120, 1340, 1560, 1780}));
    EXPECT_EQ(two.lastPollUnixMs, 150); // fifteen exchanges of 10 ms
    EXPECT_TRUE(rig.logged.empty());
}

// Replies no reading is known for are counted, each time, and told once.
TEST(ProjectorWatch, RepliesOfUnknownShapesAreCountedAndToldOnce)
{
    std::vector<std::string> logged;
    pjlink::ProjectorWatch watch([&](const std::string& text) { logged.push_back(text); });
    Outcome reply;
    reply.kind = Outcome::Kind::Answered;
    for (const char* bytes : {"0120 0340\r", "NG\r", "0120 0340 0560 0780\r"}) {
        reply.reply = bytes;
        watch.note("A001", c::lampTimeQuery, reply);
    }
    EXPECT_EQ(watch.unparsed().at("lamp_hours"), 2u);
    EXPECT_EQ(watch.unparsed().at("power"), 0u);
    EXPECT_EQ(watch.readings("A001").lampHours, (std::array{120, 340, 560, 780}));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("lamp_hours"), std::string::npos);
}

TEST(Poller, AnOverrunRoundIsFollowedAtOnceAndToldOnce)
{
    PollRig rig(100); // a round of two projectors takes 14 exchanges of 10 ms
    rig.poller->start();
    rig.clock.advance(1000);
    EXPECT_GE(rig.poller->rounds(), 6u);
    EXPECT_LE(rig.poller->rounds(), 8u);
    ASSERT_EQ(rig.logged.size(), 1u);
    EXPECT_NE(rig.logged[0].find("longer than its period"), std::string::npos);
}

TEST(Poller, ASilentProjectorIsDownAndTheRestStillAnswer)
{
    PollRig rig(2000);
    rig.serial.onWrite = [&](const std::string& frame) {
        if (!frame.starts_with("A002")) // projector 002 has been unplugged
            rig.wire.line.receive(frame, rig.clock.now());
    };
    rig.poller->start();
    rig.clock.advance(1900);
    EXPECT_TRUE(rig.watch.readings("A001").up);
    EXPECT_FALSE(rig.watch.readings("A002").up);
    EXPECT_EQ(std::count_if(rig.serial.writes.begin(), rig.serial.writes.end(),
                  [](const std::string& frame) { return frame.starts_with("A002"); }),
        1)
        << "not asked the rest";
    EXPECT_EQ(rig.line.counters().missing, 1u);
    // The line itself goes: nothing can be sent, so nobody is up.
    rig.serial.close();
    rig.serial.failingPorts[1] = "gone";
    rig.clock.advance(2100);
    EXPECT_FALSE(rig.watch.readings("A001").up);
    rig.serial.failingPorts.clear();
    rig.clock.advance(2100);
    EXPECT_TRUE(rig.watch.readings("A001").up);
}

// One HTTP exchange on a connection of its own; "<closed>" when it was closed unanswered.
class HttpProbe {
public:
    explicit HttpProbe(quint16 port)
    {
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { got_ += socket_.readAll().toStdString(); });
        socket_.connectToHost(QHostAddress::LocalHost, port);
        socket_.waitForConnected(waitMs);
    }
    std::string ask(const std::string& request)
    {
        got_.clear();
        socket_.write(request.data(), static_cast<qint64>(request.size()));
        runLoopUntil([&] { return closed() || got_.find("\r\n\r\n") != std::string::npos; }, waitMs);
        runLoopFor(20);
        return got_.empty() && closed() ? "<closed>" : got_;
    }
    bool closed() const { return socket_.state() == QAbstractSocket::UnconnectedState; }

private:
    QTcpSocket socket_;
    std::string got_;
};

TEST(MetricsServer, GetOnlyKnownPathsBoundedLinesAndIdleClientsClosed)
{
    pjlink::MetricsServer server([] { return std::string("qm5_up 1\n"); }, {.idleMs = 300});
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    HttpProbe keep(server.port());
    std::string answer = keep.ask("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(answer.starts_with("HTTP/1.1 200 OK\r\n")) << answer;
    EXPECT_NE(answer.find("Content-Type: text/plain; version=0.0.4"), std::string::npos);
    EXPECT_TRUE(answer.ends_with("\r\n\r\nqm5_up 1\n"));
    EXPECT_NE(keep.ask("GET / HTTP/1.1\r\n\r\n").find("<a href=\"/metrics\">"), std::string::npos);
    EXPECT_TRUE(keep.ask("GET /metric HTTP/1.1\r\n\r\n").starts_with("HTTP/1.1 404")) << "kept alive";

    const std::string longLine(8 * 1024 + 1, 'a');
    const std::pair<std::string, std::string> closing[] = {
        {"POST /metrics HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", "HTTP/1.1 405"},
        {"DELETE / HTTP/1.1\r\n\r\n", "HTTP/1.1 405"},
        {"GET /metrics HTTP/1.0\r\n\r\n", "HTTP/1.1 200"},
        {"nonsense\r\n", "HTTP/1.1 400"},
        {"GET /metrics HTTP/1.1\r\nX-Long: " + longLine + "\r\n\r\n", "<closed>"},
        {"GET /" + longLine + " HTTP/1.1\r\n\r\n", "<closed>"},
    };
    for (const auto& [request, starts] : closing) {
        HttpProbe probe(server.port());
        const std::string answer = probe.ask(request);
        EXPECT_TRUE(answer.starts_with(starts)) << request.substr(0, 40);
        // Said in the answer, not left to the idle time.
        EXPECT_TRUE(starts == "<closed>" || answer.find("\r\nConnection: close\r\n") != std::string::npos)
            << request.substr(0, 40);
        QM5_ASSERT_EVENTUALLY(probe.closed(), waitMs);
    }
    HttpProbe idle(server.port());
    runLoopFor(100);
    EXPECT_FALSE(idle.closed());
    QM5_ASSERT_EVENTUALLY(idle.closed(), 2000);
}

std::string scrape(quint16 port)
{
    HttpProbe probe(port);
    const std::string answer = probe.ask("GET /metrics HTTP/1.1\r\n\r\n");
    const auto body = answer.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : answer.substr(body + 4);
}

// The daemon's gateway, polled, scraped and checked by Prometheus's own tool.
TEST_F(PjlinkGateway, ScrapedWhilePollingAndWhileTheLineIsGone)
{
    start({.addresses = {1, 2},
        .projectors = {{"A001", "QM5 001", 0, "001"}, {"A002", "QM5 002", 0, "002"}},
        .pollMs = 300,
        .metrics = pjlink::MetricsEndpoint{QHostAddress::LocalHost, 0}});
    const quint16 port = gateway->metricsPort();
    QM5_ASSERT_EVENTUALLY(has("\n" + scrape(port), "qm5_up{projector=\"002\"} 1"), waitMs);
    const std::string text = scrape(port);
    QProcess promtool;
    promtool.start("promtool", {"check", "metrics"});
    ASSERT_TRUE(promtool.waitForStarted()) << "promtool is installed by scripts/lib/setup.sh";
    promtool.write(text.data(), static_cast<qint64>(text.size()));
    promtool.closeWriteChannel();
    ASSERT_TRUE(promtool.waitForFinished());
    EXPECT_EQ(promtool.exitCode(), 0);
    EXPECT_EQ(promtool.readAll().toStdString(), "");

    auto client = connect(1);
    EXPECT_EQ(client->ask("%1POWR 1"), "%1POWR=OK");
    QM5_ASSERT_EVENTUALLY(has("\n" + scrape(port), "qm5_power_state{projector=\"002\",state=\"standby\"} 0"), 800);
    EXPECT_TRUE(has("\n" + scrape(port), "qm5_power_state{projector=\"001\",state=\"standby\"} 1"));

    endpoint->close();
    QM5_ASSERT_EVENTUALLY(has("\n" + scrape(port), "qm5_up{projector=\"001\"} 0"), waitMs);
    EXPECT_TRUE(has("\n" + scrape(port), "qm5_serial_line_up 0"));
    ASSERT_TRUE(endpoint->open());
    ASSERT_TRUE(link.create(endpoint->slavePath(), device));
    QM5_ASSERT_EVENTUALLY(has("\n" + scrape(port), "qm5_up{projector=\"001\"} 1"), waitMs);
    EXPECT_TRUE(has("\n" + scrape(port), "qm5_serial_line_up 1"));
}

} // namespace
} // namespace qm5::test
