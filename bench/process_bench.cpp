// Start-up, peak memory and idle: figures of a whole process. qm5bench starts
// qm5bench-panel (the panel as qm5rsc runs it, port 1 on a pty the bench
// holds) and qm5bench-floor (a minimal window with as many plain buttons),
// turn about, offscreen, and reads what they report and what /proc says.

#include <QCoreApplication>
#include <QDir>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "benches.hpp"
#include "layout/layout_table.hpp"
#include "proc_stats.hpp"
#include "support.hpp"

extern char** environ;

namespace qm5::bench {

namespace {

struct Report {
    std::int64_t startedAt = 0;
    std::int64_t paintedAt = 0;
    std::int64_t frameAt = 0;
    long peakKiB = -1;
    long buttons = -1;
    long widgets = -1;
    std::string window;
};

class Child {
public:
    // Starts program with args; its stdout comes back through a pipe.
    Child(const std::string& program, std::vector<std::string> args)
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            throw SetupError{std::string("pipe2: ") + std::strerror(errno)};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        report_.startedAt = nowNs();
        const int rc = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            ::close(out[0]);
            throw SetupError{"cannot start " + program + ": " + std::strerror(rc)};
        }
        out_ = out[0];
    }
    ~Child()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            wait();
        }
        if (out_ >= 0)
            ::close(out_);
    }

    int pid() const { return pid_; }

    // Reads the first-paint line; throws if the child ends without one or
    // has not painted within the time allowed.
    const Report& awaitReport(int timeoutMs = 20000)
    {
        const std::int64_t deadline = nowNs() + timeoutMs * 1'000'000LL;
        std::string pending;
        for (;;) {
            const std::size_t eol = pending.find('\n');
            if (eol != std::string::npos) {
                const std::string line = pending.substr(0, eol);
                pending.erase(0, eol + 1);
                if (parse(line))
                    return report_;
                continue;
            }
            const std::int64_t left = deadline - nowNs();
            if (left <= 0)
                throw SetupError{"a benchmark window did not paint within " + std::to_string(timeoutMs) + " ms"};
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left / 1'000'000) + 1) < 0 && errno != EINTR)
                throw SetupError{std::string("poll: ") + std::strerror(errno)};
            if (!(p.revents & (POLLIN | POLLHUP)))
                continue;
            char buf[512];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n == 0)
                throw SetupError{"a benchmark window ended without reporting its first paint"};
            if (n > 0)
                pending.append(buf, static_cast<std::size_t>(n));
        }
    }

    int wait()
    {
        int status = 0;
        if (pid_ > 0)
            ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

private:
    bool parse(const std::string& line)
    {
        long long painted = 0;
        long long frame = 0;
        char window[128] = {};
        if (std::sscanf(line.c_str(), "PAINT %lld FRAME %lld HWM %ld BUTTONS %ld WIDGETS %ld WINDOW %127s", &painted,
                &frame, &report_.peakKiB, &report_.buttons, &report_.widgets, window)
            != 6)
            return false;
        report_.paintedAt = painted;
        report_.frameAt = frame;
        report_.window = window;
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    Report report_;
};

std::string sibling(const char* name)
{
    return (QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name)).toStdString();
}

struct Run {
    Report report;
    std::unique_ptr<test::RawPty> pty; // kept for an idle child, whose port is open on it
    std::unique_ptr<Child> child;
};

Run startPanel(bool idle)
{
    Run run;
    run.pty = openPty();
    std::vector<std::string> args{run.pty->path()};
    if (idle)
        args.emplace_back("--idle");
    run.child = std::make_unique<Child>(sibling("qm5bench-panel"), args);
    run.report = run.child->awaitReport();
    if (run.report.window != mainWindow.name)
        throw SetupError{"the panel's first paint was of \"" + run.report.window + "\", not its window"};
    return run;
}

Run startFloor(bool idle)
{
    Run run;
    std::vector<std::string> args;
    if (idle)
        args.emplace_back("--idle");
    run.child = std::make_unique<Child>(sibling("qm5bench-floor"), args);
    run.report = run.child->awaitReport();
    return run;
}

double ms(std::int64_t from, std::int64_t to)
{
    return toMs(to - from);
}

} // namespace

int benchStartup()
{
    const int reps = smoke() ? 2 : 15;
    std::vector<double> panelPaint, floorPaint, panelFrame, floorFrame, panelPeak, floorPeak;
    long panelButtons = -1;
    long floorButtons = -1;
    long panelWidgets = -1;
    long floorWidgets = -1;
    // One start of each first, unrecorded: the page cache and the font cache
    // are warm for both from then on.
    startPanel(false).child->wait();
    startFloor(false).child->wait();
    for (int i = 0; i < reps; ++i) {
        // Alternate which goes first, so neither always follows the other.
        for (int k = 0; k < 2; ++k) {
            const bool panelTurn = (k == 0) == (i % 2 == 0);
            Run run = panelTurn ? startPanel(false) : startFloor(false);
            run.child->wait();
            const Report& r = run.report;
            (panelTurn ? panelPaint : floorPaint).push_back(ms(r.startedAt, r.paintedAt));
            (panelTurn ? panelFrame : floorFrame).push_back(ms(r.startedAt, r.frameAt));
            (panelTurn ? panelPeak : floorPeak).push_back(static_cast<double>(r.peakKiB) / 1024.0);
            (panelTurn ? panelButtons : floorButtons) = r.buttons;
            (panelTurn ? panelWidgets : floorWidgets) = r.widgets;
        }
    }
    const Stats pp = summarise(panelPaint), fp = summarise(floorPaint);
    const Stats pf = summarise(panelFrame), ff = summarise(floorFrame);
    const Stats pm = summarise(panelPeak), fm = summarise(floorPeak);
    row("Start-up: exec to first paint", msPair(pp), msPair(fp),
        fmt("×%.2f median, ×%.2f p99", pp.median / fp.median, pp.p99 / fp.p99), "≤ 1.2 × floor",
        pp.median / fp.median <= 1.2);
    row("Start-up: exec to first frame complete", msPair(pf), msPair(ff),
        fmt("×%.2f median, ×%.2f p99", pf.median / ff.median, pf.p99 / ff.p99), "(for reference)", std::nullopt);
    row("Peak memory after start-up (VmHWM)", fmt("%.1f MiB", pm.median), fmt("%.1f MiB", fm.median),
        fmt("×%.2f", pm.median / fm.median), "≤ 1.2 × floor", pm.median / fm.median <= 1.2);
    note(fmt("Start-up: %d starts of each, alternating; push buttons in the window: panel %ld, floor %ld; "
             "widgets in all: panel %ld, floor %ld; peak memory max: panel %.1f MiB, floor %.1f MiB.",
        reps, panelButtons, floorButtons, panelWidgets, floorWidgets, pm.max, fm.max));
    return 0;
}

int benchIdle()
{
    const int settleMs = smoke() ? 200 : 1000;
    const int durationMs = smoke() ? 1000 : 5000;
    struct Idle {
        double perSecond;
        long switches;
        long threads;
    };
    const auto measure = [&](Run run) {
        const int pid = run.child->pid();
        ::usleep(static_cast<useconds_t>(settleMs) * 1000);
        const long before = test::contextSwitches(pid);
        const std::int64_t t0 = nowNs();
        ::usleep(static_cast<useconds_t>(durationMs) * 1000);
        const long after = test::contextSwitches(pid);
        const double seconds = toMs(nowNs() - t0) / 1000.0;
        if (before < 0 || after < 0)
            throw SetupError{"cannot read the context switches of a benchmark window"};
        const long threads = static_cast<long>(QDir(QStringLiteral("/proc/%1/task").arg(pid)).count()) - 2;
        return Idle{static_cast<double>(after - before) / seconds, after - before, threads};
    };
    const Idle panel = measure(startPanel(true));
    const Idle floor = measure(startFloor(true));
    row("Idle: context switches",
        fmt("%.1f /s (%ld in %.0f s, %ld threads)", panel.perSecond, panel.switches, durationMs / 1000.0,
            panel.threads),
        fmt("none (minimal window: %.1f /s, %ld threads)", floor.perSecond, floor.threads),
        fmt("%.1f /s", panel.perSecond), "< 2 /s", panel.perSecond < 2.0);
    return 0;
}

} // namespace qm5::bench
