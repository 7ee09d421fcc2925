#pragma once
// Shared by the panel and the minimal window that qm5bench starts, and by
// qm5bench for the clock: reports the first paint of the top-level window on
// stdout, then quits, or stays up for the idle figure. The report is one line:
//   PAINT <ns> FRAME <ns> HWM <KiB> BUTTONS <n> WIDGETS <n> WINDOW <objectName>
// PAINT is the window's first paint event, FRAME the moment that whole first
// paint pass (every child included) is done; both on CLOCK_MONOTONIC.

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "proc_stats.hpp"

namespace qm5::bench {

// CLOCK_MONOTONIC in nanoseconds: one clock for every thread and process,
// the bench's and the windows' it starts.
inline std::int64_t nowNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

class FirstPaintReporter : public QObject {
public:
    explicit FirstPaintReporter(bool stayUp) : stayUp_(stayUp) { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (done_ || event->type() != QEvent::Paint)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !widget->isWindow())
            return false;
        done_ = true;
        const std::int64_t paintedAt = nowNs();
        // Posted now, run once the paint pass that began here has finished.
        QTimer::singleShot(0, widget, [this, paintedAt, widget] {
            const std::int64_t frameAt = nowNs();
            const auto buttons = widget->findChildren<QPushButton*>().size();
            const auto widgets = widget->findChildren<QWidget*>().size();
            std::printf("PAINT %lld FRAME %lld HWM %ld BUTTONS %lld WIDGETS %lld WINDOW %s\n",
                static_cast<long long>(paintedAt), static_cast<long long>(frameAt), qm5::test::peakResidentKiB(),
                static_cast<long long>(buttons), static_cast<long long>(widgets), qPrintable(widget->objectName()));
            std::fflush(stdout);
            if (!stayUp_)
                QCoreApplication::quit();
        });
        return false;
    }

private:
    bool stayUp_;
    bool done_ = false;
};

inline bool stayUpRequested(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--idle") == 0)
            return true;
    }
    return false;
}

} // namespace qm5::bench
