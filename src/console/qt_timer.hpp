#pragma once
// QTimer behind the logic's Timer, and the monotonic clock it runs on.

#include <QElapsedTimer>
#include <QTimer>

#include "core/timer.hpp"

namespace qm5 {

class QtTimer : public Timer {
public:
    QtTimer()
    {
        // The hold cadences (5 to 500 ms) want the precise timer, not the
        // coarse one's 5 % slack.
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { fireTick(); });
    }
    void setInterval(int ms) override { timer_.setInterval(ms); }
    int interval() const override { return timer_.interval(); }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class QtClock : public Clock {
public:
    QtClock() { clock_.start(); }
    std::unique_ptr<Timer> createTimer() override { return std::make_unique<QtTimer>(); }
    std::int64_t nowUs() const override { return clock_.nsecsElapsed() / 1000; }

private:
    QElapsedTimer clock_;
};

} // namespace qm5
