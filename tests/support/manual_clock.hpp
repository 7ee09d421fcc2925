#pragma once
// Virtual time for the window logic: timers fire only when the test advances
// the clock, in the order they fall due, so a 5000 ms reply window or a
// one-second hold is tested exactly and instantly.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/timer.hpp"

namespace qm5::test {

class ManualClock : public Clock {
public:
    std::unique_ptr<Timer> createTimer() override;
    std::int64_t nowUs() const override { return now_ * 1000; }

    std::int64_t now() const { return now_; }
    // Moves time forward by ms, firing every tick that falls due on the way.
    void advance(std::int64_t ms);
    // Advances to the next due tick, if any timer runs; returns whether one fired.
    bool fireNext();

private:
    class ManualTimer;
    friend class ManualTimer;

    std::uint64_t nextSequence() { return ++sequence_; }
    ManualTimer* earliestDue() const;

    std::int64_t now_ = 0;
    std::uint64_t sequence_ = 0;
    std::vector<ManualTimer*> timers_;
};

} // namespace qm5::test
