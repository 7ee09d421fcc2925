#pragma once
// Millisecond timers and the time they run on, as the panel's logic sees
// them. QTimer sits behind them in the program, a manual clock in the tests.

#include <cstdint>
#include <functional>
#include <memory>

namespace qm5 {

class Timer {
public:
    virtual ~Timer() = default;

    // Giving a running timer a new interval restarts its count, as QTimer does.
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    // Starting a running timer restarts its count.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    void setTickHandler(std::function<void()> handler) { tick_ = std::move(handler); }

protected:
    void fireTick()
    {
        if (tick_)
            tick_();
    }

private:
    std::function<void()> tick_;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::unique_ptr<Timer> createTimer() = 0;
    // Microseconds on the same time as the timers; only differences count.
    virtual std::int64_t nowUs() const = 0;

    // A stopped timer with this interval that calls onTick.
    std::unique_ptr<Timer> timer(int intervalMs, std::function<void()> onTick)
    {
        auto t = createTimer();
        t->setInterval(intervalMs);
        t->setTickHandler(std::move(onTick));
        return t;
    }
};

} // namespace qm5
