#pragma once
// What every benchmark shares: one clock, sample statistics, a thread that
// serves the far end of a raw pseudo-terminal, the panel on such a line (the
// shared rigs of tests/rig), and the rows the benchmarks print for
// scripts/run-bench.

#include <QEventLoop>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "first_paint.hpp"
#include "rig/eventually.hpp"
#include "rig/panel_rig.hpp"
#include "rig/raw_pty.hpp"

namespace qm5::bench {

using test::runLoopFor;

inline double toMs(std::int64_t ns)
{
    return static_cast<double>(ns) / 1e6;
}
inline double toUs(std::int64_t ns)
{
    return static_cast<double>(ns) / 1e3;
}

// Runs the loop until ms have passed on the monotonic clock: a long
// runLoopFor ends on a coarse timer, which may be 5 % early or late.
void runLoopForExactly(int ms);

struct Stats {
    std::size_t count = 0;
    double median = 0;
    double p99 = 0;
    double mean = 0;
    double max = 0;
};
// Nearest-rank percentiles over the samples.
Stats summarise(std::vector<double> samples);

// Short mode for CI: a few repetitions, short durations, nothing judged.
bool smoke();
void setSmoke(bool on);

// Thrown when a benchmark cannot run at all (no pty, port not opened, ...).
struct SetupError {
    std::string what;
};

// A raw pty whose slave the bench holds open too, so the line stays up
// whatever the panel does with its end.
std::unique_ptr<test::RawPty> openPty();

// Serves the master side of a pty of its own on its own thread with plain
// POSIX calls, so the panel's thread does nothing for the far end. Whole
// frames (up to CR) are stamped with the time the read that completed them
// returned.
class FarEnd {
public:
    struct Frame {
        std::int64_t atNs;
        std::string text; // without the CR
    };
    struct Reply {
        std::string bytes;
        int delayUs = 0;
    };
    using Responder = std::function<std::optional<Reply>(const std::string& frame)>;

    explicit FarEnd(Responder responder = {});
    ~FarEnd();
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    // The slave's path, for the panel or the floor to open.
    const std::string& path() const { return pty_->path(); }
    std::size_t frameCount() const { return count_.load(); }
    std::vector<Frame> frames() const;
    Frame lastFrame() const;
    void clearFrames();
    // When the last reply was handed to write().
    std::int64_t lastReplyNs() const { return lastReplyNs_.load(); }

    // Runs the caller's event loop until frameCount() reaches n; false on timeout.
    bool waitFrames(std::size_t n, int timeoutMs);

    // Writes junk to the far end as fast as the pty takes it until deadlineNs;
    // calls `sample` about every 10 ms. Returns the bytes taken.
    std::uint64_t flood(std::int64_t deadlineNs, const std::function<void()>& sample);

private:
    void run();
    void writeAll(const std::string& bytes);

    std::unique_ptr<test::RawPty> pty_;
    int fd_;
    int wake_[2] = {-1, -1};
    QObject notify_; // where waitFrames' loop hears of each frame
    Responder responder_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<Frame> frames_;
    std::string partial_;
    std::atomic<std::int64_t> lastReplyNs_{0};
    std::atomic<std::size_t> count_{0};
    QEventLoop* waiting_ = nullptr;
    std::size_t waitingFor_ = 0;
};

// The real panel (test::PanelRig: PanelWindow, QtClock, QtSerialControl),
// port 1 on a FarEnd's pty, loaded and shown; onCaption runs after every
// Display::setCaption, inside the call the logic makes.
struct Rig {
    explicit Rig(FarEnd::Responder responder = {});
    QWidget& control(std::string_view name);
    // Brings the panel back to rest, as a second after the last exchange:
    // reply window over, receive buffer and display lines cleared, no hold.
    void rest();

    FarEnd far;
    test::PanelRig::CaptionHook onCaption;
    test::PanelRig ui;
};

// Output read by scripts/run-bench: one ROW per table line, NOTE lines for the
// details. Fields are tab-separated.
void row(const std::string& figure, const std::string& panel, const std::string& floor, const std::string& measure,
    const std::string& goal, std::optional<bool> met);
void note(const std::string& text);
std::string fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "median 1.23 / p99 4.56 ms" style.
std::string msPair(const Stats& s);
std::string usPair(const Stats& s);

} // namespace qm5::bench
