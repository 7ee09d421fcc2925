// qm5bench-pjlink [--smoke] [figure...]: the PJLink gateway's figures for
// scripts/run-bench, as ROW and NOTE lines. The watch's figures (scrapes,
// polling, pollround) are in watch_bench.cpp.
//
// roundtrip: POWR ? over loopback to the gateway (in this process, on
// QtSerialControl and QtClock, its results kept for no time so every query
// crosses the line) beside the bare serial exchange it stands on ("CR0" CR
// written to and read from a second virtual projector with plain POSIX calls),
// the two taking turns from one client thread; then the same query answered
// from a result under a second old, and `qm5ctl status` from start to exit.
// load: the qm5-pjlink daemon itself, 8 clients of 200 queries each.
// Every virtual projector is its own process, with its reply delay at 0.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "../proc_stats.hpp"
#include "console/qt_serial_control.hpp"
#include "console/qt_timer.hpp"
#include "pjlink/gateway.hpp"
#include "pjlink_bench.hpp"

extern char** environ;

namespace qm5::bench {
namespace {

// POWR ? round trips to an in-process gateway on the projector at path,
// each followed by one bare exchange on the projector at barePath.
void timeRoundTrips(const std::string& path, int resultMaxAgeMs, int count, const std::string& barePath,
    std::vector<double>& viaGateway, std::vector<double>& bare)
{
    QtSerialControl serial([path](int) { return path; });
    QtClock clock;
    pjlink::GatewayConfig config;
    config.projectors = {{"", "QM5 single", 0}};
    config.resultMaxAgeMs = resultMaxAgeMs;
    config.pollMs = 0;
    pjlink::Gateway gateway(serial, clock, config);
    if (const auto error = gateway.listen())
        throw SetupError{*error};
    if (const auto error = serial.open())
        throw SetupError{*error};
    std::string failure;
    runBesideTheLoop([&] {
        auto client = LineDevice::tcp(gateway.ports()[0]);
        auto line = barePath.empty() ? nullptr : LineDevice::terminal(barePath);
        if (!client || client->line() != "PJLINK 0") {
            failure = "no greeting from the gateway";
            return;
        }
        for (int i = -10; i < count; ++i) { // ten to warm up
            std::int64_t start = nowNs();
            if (client->ask("%1POWR ?") != "%1POWR=0") {
                failure = "the gateway did not answer POWR=0";
                return;
            }
            if (i >= 0)
                viaGateway.push_back(msSince(start));
            if (!line)
                continue;
            start = nowNs();
            if (line->ask("CR0") != "80") {
                failure = "the bare exchange did not read 80";
                return;
            }
            if (i >= 0)
                bare.push_back(msSince(start));
        }
    });
    if (!failure.empty())
        throw SetupError{failure};
}

// `qm5ctl --device path status`, from posix_spawn to its exit. The bench holds
// the terminal open meanwhile: with nobody on it the virtual projector looks
// for a new opener only every 25 ms, which would be measured instead.
std::vector<double> timeQm5ctl(const std::string& path, int count)
{
    const int holder = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    std::vector<double> samples;
    std::string device = path;
    std::string program = QM5CTL;
    char deviceOption[] = "--device";
    char status[] = "status";
    char* argv[] = {program.data(), deviceOption, device.data(), status, nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    for (int i = -2; i < count; ++i) {
        const std::int64_t start = nowNs();
        pid_t pid = 0;
        int exitStatus = 0;
        if (posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv, environ) != 0
            || ::waitpid(pid, &exitStatus, 0) != pid || !WIFEXITED(exitStatus) || WEXITSTATUS(exitStatus) != 0)
            throw SetupError{"qm5ctl status failed"};
        if (i >= 0)
            samples.push_back(msSince(start));
    }
    posix_spawn_file_actions_destroy(&quiet);
    if (holder >= 0)
        ::close(holder);
    return samples;
}

int benchRoundTrip()
{
    const int count = smoke() ? 20 : 1000;
    VirtualProjector forGateway;
    VirtualProjector forBare;
    std::vector<double> viaGateway;
    std::vector<double> bare;
    timeRoundTrips(forGateway.path(), 0, count, forBare.path(), viaGateway, bare);
    std::vector<double> cached;
    std::vector<double> unused;
    timeRoundTrips(forGateway.path(), 1000, count, {}, cached, unused);
    const Stats g = summarise(viaGateway);
    const Stats b = summarise(bare);
    const double added = g.median - b.median;
    row("PJLink POWR ? round trip (every query on the line)", msPair(g), msPair(b),
        fmt("+%.3f ms median, +%.3f ms p99", added, g.p99 - b.p99), "adds < 1 ms", added < 1.0);
    row("PJLink POWR ? from a result under 1 s old", msPair(summarise(cached)), "-", "-", "-", std::nullopt);
    note(fmt("PJLink round trip: %zu POWR ? over loopback (TCP_NODELAY client) to the gateway in the bench's process, "
             "each followed by one bare \"CR0\" CR exchange (POSIX write and read on the pty) with a second virtual "
             "projector; both projectors are qm5-virtual-projector processes with --delay 0. The gateway's results "
             "are kept for 0 ms in the first row, 1000 ms (as qm5-pjlink runs) in the second.",
        viaGateway.size()));
    const int runs = smoke() ? 3 : 50;
    const Stats ctl = summarise(timeQm5ctl(forBare.path(), runs));
    row("qm5ctl status, process start to exit", msPair(ctl), msPair(b), fmt("×%.1f median", ctl.median / b.median), "-",
        std::nullopt);
    note(fmt("qm5ctl status: %d runs on the bare exchange's projector, posix_spawn to waitpid, for scale: a process "
             "per query against the gateway's standing connection.",
        runs));
    return 0;
}

int benchLoad()
{
    constexpr int clients = 8;
    const int queries = smoke() ? 20 : 200;
    const std::pair<std::string, std::string> polls[] = {{"%1POWR ?", "%1POWR=0"}, {"%1INPT ?", "%1INPT=11"},
        {"%1AVMT ?", "%1AVMT=30"}, {"%1ERST ?", "%1ERST=000000"}, {"%1LAMP ?", "%1LAMP=120 0 340 0 560 0 780 0"},
        {"%1NAME ?", "%1NAME=QM5 single"}, {"%1INST ?", "%1INST=11 12 13 14"}, {"%1CLSS ?", "%1CLSS=2"},
        // What a Class 2 client such as Companion polls besides.
        {"%2SNUM ?", "%2SNUM="}, {"%2SVER ?", "%2SVER="}, {"%2RLMP ?", "%2RLMP="}, {"%2RFIL ?", "%2RFIL="},
        {"%2RRES ?", "%2RRES="}, {"%2FILT ?", "%2FILT=0"}, {"%2FREZ ?", "%2FREZ=0"},
        {"%2INNM ?12", "%2INNM=Input mode 2"}, {"%2IRES ?", "%2IRES=ERR3"}, {"%2INPT ?", "%2INPT=11"}};

    VirtualProjector projector;
    const quint16 port = test::freeTcpPort();
    test::ProgramProcess daemon(QM5_PJLINK,
        {"--device", QString::fromStdString(projector.path()), "--projector", "single=" + QString::number(port)},
        false);
    if (!daemon.started())
        throw SetupError{"qm5-pjlink did not start"};
    const int pid = daemon.pid();

    std::vector<std::unique_ptr<LineDevice>> sockets;
    for (int attempt = 0; sockets.size() < clients && attempt < 100; ++attempt) {
        auto socket = LineDevice::tcp(port);
        if (socket && socket->line() == "PJLINK 0")
            sockets.push_back(std::move(socket));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (sockets.size() < clients)
        throw SetupError{"qm5-pjlink did not take 8 clients"};
    for (auto& socket : sockets) { // one round first, so the figures start warm
        for (const auto& poll : polls)
            socket->ask(poll.first);
    }

    const long rssBefore = test::residentKiB(pid);
    std::atomic<long> rssPeak{rssBefore};
    std::atomic<int> mismatched{0};
    std::atomic<int> running{clients};
    std::vector<std::vector<double>> latencies(clients);
    std::vector<std::thread> threads;
    const std::int64_t start = nowNs();
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            for (int q = 0; q < queries; ++q) {
                const auto& [ask, expected] = polls[(c + q) % std::size(polls)];
                const std::int64_t sent = nowNs();
                if (sockets[c]->ask(ask) != expected)
                    ++mismatched;
                latencies[c].push_back(msSince(sent));
            }
            --running;
        });
    }
    while (running > 0) {
        rssPeak = std::max(rssPeak.load(), test::residentKiB(pid));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const double seconds = msSince(start) / 1000;
    for (auto& t : threads)
        t.join();
    rssPeak = std::max(rssPeak.load(), test::residentKiB(pid));

    std::vector<double> all;
    for (const auto& l : latencies)
        all.insert(all.end(), l.begin(), l.end());
    const Stats s = summarise(all);
    const long growth = rssPeak - rssBefore;
    row(fmt("PJLink load, %d clients × %d queries", clients, queries),
        fmt("%.0f answers/s, p99 %.2f ms", all.size() / seconds, s.p99), "-",
        fmt("RSS +%ld KiB, %d mismatched", growth, mismatched.load()), "RSS growth ≤ 1 MiB, 0 mismatched",
        growth <= 1024 && mismatched == 0);
    note(fmt("PJLink load: the qm5-pjlink daemon on a qm5-virtual-projector with --delay 0; %d clients on one port, "
             "each asking %d queries in turn (POWR, INPT, AVMT, ERST, LAMP, NAME, INST, CLSS and the Class 2 SNUM, "
             "SVER, RLMP, RFIL, RRES, FILT, FREZ, INNM, IRES, INPT) and waiting for each "
             "answer; median %.2f ms. RSS (VmRSS) read every 10 ms from after a first warm round to the end, "
             "%ld KiB at the start.",
        clients, queries, s.median, rssBefore));
    return 0;
}

} // namespace
} // namespace qm5::bench

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<std::string> figures;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            qm5::bench::setSmoke(true);
        else
            figures.emplace_back(argv[i]);
    }
    if (figures.empty())
        figures = {"roundtrip", "load", "scrapes", "polling", "pollround"};
    for (const std::string& figure : figures) {
        try {
            if (figure == "roundtrip")
                qm5::bench::benchRoundTrip();
            else if (figure == "load")
                qm5::bench::benchLoad();
            else if (figure == "scrapes")
                qm5::bench::benchScrapes();
            else if (figure == "polling")
                qm5::bench::benchPollingAndRequests();
            else if (figure == "pollround")
                qm5::bench::benchPollRound();
            else {
                std::fprintf(
                    stderr, "usage: qm5bench-pjlink [--smoke] [roundtrip] [load] [scrapes] [polling] [pollround]\n");
                return 2;
            }
        } catch (const qm5::bench::SetupError& e) {
            std::fprintf(stderr, "qm5bench-pjlink: %s could not run: %s\n", figure.c_str(), e.what.c_str());
            return 2;
        }
    }
    return 0;
}
