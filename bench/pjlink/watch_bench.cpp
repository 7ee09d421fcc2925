// The gateway's watch on its projectors, as ROW and NOTE lines:
// scrapes: the qm5-pjlink daemon polling four virtual projectors, scraped
//   10 000 times over one kept-alive connection: latency and RSS growth.
// polling: POWR ? to an in-process gateway (results kept for no time) on four
//   projectors over a line at 19 200 baud, with the poller busy and without.
// pollround: one poll round of four projectors at 19 200 and 9 600 baud
//   beside the wire's floor.
// The virtual projectors carry their line at its speed (--wire) where the
// figure is about the line.

#include <QCoreApplication>
#include <QHostAddress>

#include <algorithm>
#include <array>
#include <cstdio>

#include "../proc_stats.hpp"
#include "console/qt_serial_control.hpp"
#include "console/qt_timer.hpp"
#include "panel/command_catalogue.hpp"
#include "pjlink/gateway.hpp"
#include "pjlink/projector_watch.hpp"
#include "pjlink_bench.hpp"
#include "projector.hpp"

namespace qm5::bench {

namespace {

constexpr int replyDelayMs = 30; // the virtual projector's own, a plausible projector's

std::vector<pjlink::ProjectorPort> fourProjectors()
{
    std::vector<pjlink::ProjectorPort> ports;
    for (int n = 1; n <= 4; ++n) {
        const std::string address = "00" + std::to_string(n);
        ports.push_back({"A" + address, "QM5 " + address, 0, address});
    }
    return ports;
}

// The wire's floor of one poll round: every watched query's frame and reply,
// ten bits a byte at baud, and the projector's reply delay after each.
double pollRoundFloorMs(long baud, int delayMs)
{
    double ms = 0;
    for (int address = 1; address <= 4; ++address) {
        sim::Projector model(address);
        for (const auto& query : pjlink::watchedQueries) {
            // The model answers as the projector would.
            const std::string code(findOneShotButton(query.button)->code);
            const std::size_t bytes = 4 + code.size() + 1 + model.execute(code, 0).size();
            ms += bytes * 10 * 1000.0 / baud + delayMs;
        }
    }
    return ms;
}

// An in-process gateway on the projectors at path.
struct InProcess {
    QtSerialControl serial;
    QtClock clock;
    pjlink::Gateway gateway;

    InProcess(const std::string& path, int pollMs, const std::string& settings)
        : serial([path](int) { return path; })
        , gateway(serial, clock, config(pollMs, settings))
    {
        serial.setLineSettings(settings);
        if (const auto error = serial.open())
            throw SetupError{*error};
        if (const auto error = gateway.listen())
            throw SetupError{*error};
    }
    static pjlink::GatewayConfig config(int pollMs, const std::string& settings)
    {
        pjlink::GatewayConfig c;
        c.projectors = fourProjectors();
        c.resultMaxAgeMs = 0;
        c.pollMs = pollMs;
        c.lineSettings = settings;
        return c;
    }
};

} // namespace

int benchScrapes()
{
    const int scrapes = smoke() ? 200 : 10000;
    VirtualProjector projectors({"--delay", "0", "--addresses", "1,2,3,4"});
    const quint16 metricsPort = test::freeTcpPort();
    QStringList arguments{"--device", QString::fromStdString(projectors.path()), "--poll", "1", "--metrics",
        QString::number(metricsPort)};
    for (const auto& p : fourProjectors())
        arguments << "--projector" << QString::fromStdString(p.address) + "=" + QString::number(test::freeTcpPort());
    test::ProgramProcess daemon(QM5_PJLINK, arguments, false);
    if (!daemon.started())
        throw SetupError{"qm5-pjlink did not start"};

    std::vector<double> latencies;
    long rssWarm = 0;
    long rssEnd = 0;
    std::string failure;
    std::unique_ptr<LineDevice> http;
    for (int attempt = 0; attempt < 100 && !http; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        http = LineDevice::tcp(metricsPort);
    }
    if (!http)
        throw SetupError{"qm5-pjlink's metrics did not listen"};
    // Until all four have answered a poll, so every scrape renders them all.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto body = http->get("/metrics");
        if (body && std::count(body->begin(), body->end(), '\n') > 100
            && body->find("qm5_up{projector=\"004\"} 1") != std::string::npos)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::size_t bodyBytes = 0;
    for (int i = -100; i < scrapes; ++i) {
        if (i == 0)
            rssWarm = test::residentKiB(daemon.pid());
        const std::int64_t start = nowNs();
        const auto body = http->get("/metrics");
        if (!body)
            throw SetupError{"a scrape failed"};
        bodyBytes = body->size();
        if (i >= 0)
            latencies.push_back(msSince(start));
    }
    rssEnd = test::residentKiB(daemon.pid());
    const Stats s = summarise(latencies);
    row("Metrics scrape, four projectors", msPair(s), "-", fmt("RSS +%ld KiB after %d", rssEnd - rssWarm, scrapes),
        "RSS growth < 1 MiB", rssEnd - rssWarm < 1024);
    note(fmt("Metrics scrapes: the qm5-pjlink daemon on a qm5-virtual-projector with four projectors (--delay 0), "
             "polling every second, scraped %d times over one kept-alive connection after 100 to warm up; %zu bytes "
             "a scrape. RSS (VmRSS) %ld KiB before, %ld KiB after.",
        scrapes, bodyBytes, rssWarm, rssEnd));
    return 0;
}

int benchPollingAndRequests()
{
    const int count = smoke() ? 20 : 300;
    const std::string settings = "19200,N,8,1";
    VirtualProjector projectors(
        {"--delay", QString::number(replyDelayMs), "--addresses", "1,2,3,4", "--wire", "19200"});
    std::array<std::vector<double>, 2> samples; // polling off, on
    for (const int polling : {0, 1}) {
        // Rounds back to back: the line is never free of polls.
        InProcess gateway(projectors.path(), polling ? 1 : 0, settings);
        std::string failure;
        runBesideTheLoop([&] {
            auto client = LineDevice::tcp(gateway.gateway.ports()[0]);
            if (!client || client->line() != "PJLINK 0") {
                failure = "no greeting";
                return;
            }
            for (int i = -5; i < count; ++i) {
                const std::int64_t start = nowNs();
                if (client->ask("%1POWR ?") != "%1POWR=0") {
                    failure = "POWR ? was not answered 0";
                    return;
                }
                if (i >= 0)
                    samples[polling].push_back(msSince(start));
                // Requests come now and then, not back to back, so polls run between them.
                std::this_thread::sleep_for(std::chrono::milliseconds(7 + i % 13));
            }
        });
        if (!failure.empty())
            throw SetupError{failure};
    }
    const Stats off = summarise(samples[0]);
    const Stats on = summarise(samples[1]);
    // The longest exchange a poll holds the line for: lamp hours, 28 bytes.
    const double oneExchange = (8 + 20) * 10 * 1000.0 / 19200 + replyDelayMs;
    row("PJLink POWR ? while polling (19 200 baud)", msPair(on), msPair(off), fmt("p99 +%.1f ms", on.p99 - off.p99),
        fmt("p99 + at most one exchange (%.1f ms)", oneExchange), on.p99 - off.p99 <= oneExchange);
    note(fmt("Polling against requests: %d POWR ? to projector 001 of four (results kept for no time) on a "
             "qm5-virtual-projector carrying its line at 19 200 baud with a %d ms reply delay; polls back to back, "
             "requests 7 to 19 ms apart. Middle column: the same with polling off.",
        count, replyDelayMs));
    return 0;
}

int benchPollRound()
{
    const int rounds = smoke() ? 1 : 5;
    for (const long baud : {19200L, 9600L}) {
        const std::string settings = std::to_string(baud) + ",N,8,1";
        VirtualProjector projectors(
            {"--delay", QString::number(replyDelayMs), "--addresses", "1,2,3,4", "--wire", QString::number(baud)});
        InProcess gateway(projectors.path(), 1, settings);
        // The first round opens the line; time the ones after it.
        test::runLoopUntil([&] { return gateway.gateway.pollRounds() >= 1; }, 30000);
        const std::int64_t start = nowNs();
        const std::uint64_t first = gateway.gateway.pollRounds();
        if (!test::runLoopUntil([&] { return gateway.gateway.pollRounds() >= first + rounds; }, 60000))
            throw SetupError{"the poll rounds did not finish"};
        const double roundMs = msSince(start) / rounds;
        const double floorMs = pollRoundFloorMs(baud, replyDelayMs);
        row(fmt("Poll round, four projectors at %ld baud", baud), fmt("%.0f ms", roundMs), fmt("%.0f ms", floorMs),
            fmt("x%.2f the floor", roundMs / floorMs), "<= 1.2 x the floor", roundMs <= 1.2 * floorMs);
    }
    note(fmt("Poll rounds: seven queries to each of four projectors on a qm5-virtual-projector carrying its line at "
             "the speed given (--wire) with a %d ms reply delay; %d rounds back to back after the first. The floor "
             "is every frame and reply, ten bits a byte at that speed, and the reply delay after each.",
        replyDelayMs, rounds));
    return 0;
}

} // namespace qm5::bench
