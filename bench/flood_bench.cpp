// Responsiveness and memory under a flood: a 10 ms probe timer in the panel's
// thread, first on a silent line, then while the far end writes junk as fast
// as the pty takes it. The probe is a single-shot timer armed again at each
// firing, so each sample is how late the loop came to a timer that was due.

#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <thread>

#include "benches.hpp"
#include "proc_stats.hpp"
#include "support.hpp"

namespace qm5::bench {

namespace {

constexpr int probeMs = 10;

class Probe {
public:
    Probe()
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const std::int64_t now = nowNs();
            lateness_.push_back(toMs(now - armedAt_ - probeMs * 1'000'000LL));
            arm();
        });
    }
    void start()
    {
        lateness_.clear();
        arm();
    }
    std::vector<double> stop()
    {
        timer_.stop();
        return std::move(lateness_);
    }

private:
    void arm()
    {
        armedAt_ = nowNs();
        timer_.start(probeMs);
    }

    QTimer timer_;
    std::int64_t armedAt_ = 0;
    std::vector<double> lateness_;
};

} // namespace

int benchFlood()
{
    Rig rig;
    const int durationMs = smoke() ? 500 : 5000;

    // Counts receive events alongside the panel's own handler.
    long readyReads = 0;
    auto& port = const_cast<QSerialPort&>(rig.ui.serial().port());
    QObject::connect(&port, &QSerialPort::readyRead, [&readyReads] { ++readyReads; });

    Probe probe;
    probe.start();
    runLoopForExactly(durationMs);
    const Stats silent = summarise(probe.stop());

    runLoopFor(100);
    const long rssBefore = test::residentKiB();
    std::atomic<long> rssPeak{rssBefore};
    std::uint64_t taken = 0;
    const std::int64_t floodStart = nowNs();
    const std::int64_t deadline = floodStart + durationMs * 1'000'000LL;
    probe.start();
    std::thread flood([&] {
        taken = rig.far.flood(deadline, [&] {
            const long now = test::residentKiB();
            if (now > rssPeak.load())
                rssPeak = now;
        });
    });
    // The loop keeps running a little after the deadline so the probe sees
    // the panel drain what the pty still holds.
    runLoopForExactly(durationMs + 50);
    flood.join();
    const Stats flooded = summarise(probe.stop());
    const long rssEnd = test::residentKiB();
    rssPeak = std::max(rssPeak.load(), rssEnd);
    const double seconds = toMs(nowNs() - floodStart) / 1000.0;
    runLoopFor(200);

    const bool panelOpen = rig.ui.serial().isOpen();
    if (!panelOpen)
        throw SetupError{"the panel lost its port during the flood"};

    row("Responsiveness under a flood",
        fmt("p99 %.2f ms (median %.3f, max %.2f)", flooded.p99, flooded.median, flooded.max),
        fmt("p99 %.2f ms (median %.3f, max %.2f), silent line", silent.p99, silent.median, silent.max),
        fmt("p99 %.2f ms", flooded.p99), "p99 ≤ 20 ms", flooded.p99 <= 20.0);
    const long growth = rssPeak.load() - rssBefore;
    row("Memory under a flood", fmt("+%ld KiB peak (+%ld KiB at the end)", growth, rssEnd - rssBefore), "none",
        fmt("+%.2f MiB", growth / 1024.0), "≤ 2 MiB", growth <= 2048);
    note(fmt("Flood: the panel took %.1f MB in %.1f s (%.2f MB/s) in %ld receive events, %.0f bytes each on "
             "average; %zu probe samples flooded, %zu silent; RSS %ld KiB before.",
        static_cast<double>(taken) / 1e6, seconds, static_cast<double>(taken) / 1e6 / seconds, readyReads,
        readyReads ? static_cast<double>(taken) / static_cast<double>(readyReads) : 0.0, flooded.count, silent.count,
        rssBefore));
    rig.rest();
    return 0;
}

} // namespace qm5::bench
