#include "support/manual_clock.hpp"

#include <algorithm>

namespace qm5::test {

class ManualClock::ManualTimer : public Timer {
public:
    explicit ManualTimer(ManualClock& clock) : clock_(clock) { clock_.timers_.push_back(this); }
    ~ManualTimer() override { std::erase(clock_.timers_, this); }

    void setInterval(int ms) override
    {
        interval_ = ms;
        if (active_)
            arm();
    }
    int interval() const override { return interval_; }
    void start() override
    {
        active_ = true;
        arm();
    }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }

    void tick()
    {
        // A timer keeps running until its handler stops it, as a real one does.
        arm();
        fireTick();
    }

    std::int64_t due = 0;
    std::uint64_t sequence = 0; // ties go to the timer armed first

private:
    void arm()
    {
        due = clock_.now_ + std::max(interval_, 1);
        sequence = clock_.nextSequence();
    }

    ManualClock& clock_;
    int interval_ = 0;
    bool active_ = false;
};

std::unique_ptr<Timer> ManualClock::createTimer()
{
    return std::make_unique<ManualTimer>(*this);
}

ManualClock::ManualTimer* ManualClock::earliestDue() const
{
    ManualTimer* best = nullptr;
    for (ManualTimer* t : timers_) {
        if (!t->isActive())
            continue;
        if (!best || t->due < best->due || (t->due == best->due && t->sequence < best->sequence))
            best = t;
    }
    return best;
}

void ManualClock::advance(std::int64_t ms)
{
    const std::int64_t target = now_ + ms;
    while (ManualTimer* t = earliestDue()) {
        if (t->due > target)
            break;
        now_ = t->due;
        t->tick();
    }
    now_ = target;
}

bool ManualClock::fireNext()
{
    ManualTimer* t = earliestDue();
    if (!t)
        return false;
    now_ = t->due;
    t->tick();
    return true;
}

} // namespace qm5::test
