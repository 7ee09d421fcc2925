#pragma once
// What every benchmark shares: one clock, sample statistics, a raw
// pseudo-terminal whose master side is the far end of the line, a thread that
// serves that far end, the panel set up as the program runs it, and the rows
// the benchmarks print for scripts/run-bench.

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

#include "qt/form1_window.hpp"
#include "qt/qt_serial_control.hpp"
#include "qt/qt_timer.hpp"

namespace qm5::bench {

// CLOCK_MONOTONIC in nanoseconds: one clock for every thread and process.
std::int64_t nowNs();
inline double toMs(std::int64_t ns)
{
    return static_cast<double>(ns) / 1e6;
}
inline double toUs(std::int64_t ns)
{
    return static_cast<double>(ns) / 1e3;
}

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

// A pseudo-terminal in raw mode. The bench keeps the slave open as well, so
// the line stays up whatever the panel does with its end.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// Thrown when a benchmark cannot run at all (no pty, port not opened, ...).
struct SetupError {
    std::string what;
};

// Serves the master side of a pty on its own thread with plain POSIX calls,
// so the panel's thread does nothing for the far end. Whole frames (up to
// CR) are stamped with the time the read that completed them returned.
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

    // Every frame is announced to `notify` on its own thread, where waitFrames
    // runs its loop.
    FarEnd(int masterFd, QObject* notify);
    ~FarEnd();
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    // Set before start().
    void setResponder(Responder responder) { responder_ = std::move(responder); }
    void start();
    void stop();

    std::size_t frameCount() const;
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

    int fd_;
    int wake_[2] = {-1, -1};
    QObject* notify_;
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

// Runs the current thread's event loop for ms milliseconds: a real idle loop,
// unlike QTest::qWait, which sleeps between its rounds.
void runLoopFor(int ms);

// The window with a hook behind Display::setCaption. The logic calls the
// hook through its Display reference as it would the window's own method;
// the hook runs after the label holds its new text.
class HookedWindow : public Form1Window {
public:
    using CaptionHook = std::function<void(std::string_view control, const std::string& text)>;
    using Form1Window::Form1Window;
    void setCaptionHook(CaptionHook hook) { hook_ = std::move(hook); }
    void setCaption(std::string_view control, const std::string& text) override;

private:
    CaptionHook hook_;
};

// The real window, QtSerialControl and QtTimerFactory, the port mapped to a
// fresh pty, loaded and shown; the far end is served by its own thread.
class PanelRig {
public:
    explicit PanelRig(FarEnd::Responder responder = {});
    ~PanelRig();

    HookedWindow& window() { return *window_; }
    Form1& form() { return window_->form(); }
    QtSerialControl& comm() { return *comm_; }
    FarEnd& far() { return *far_; }
    QWidget& control(const char* name);
    // Brings the panel back to rest, as a second after the last exchange:
    // reply window over, receive buffer and display lines cleared, timers stopped.
    void rest();

private:
    Pty pty_;
    QObject notify_;
    std::unique_ptr<FarEnd> far_;
    QtTimerFactory timers_;
    std::unique_ptr<QtSerialControl> comm_;
    std::unique_ptr<HookedWindow> window_;
};

// Resident set (VmRSS) and its peak (VmHWM) of a process, in KiB; -1 if unreadable.
long rssKiB(int pid = 0);
long peakRssKiB(int pid = 0);
// Voluntary plus involuntary context switches of every thread of a process.
long contextSwitches(int pid);

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
