#pragma once
// Runs the list of commands through the exchange engine, one at a time, once
// or in rounds, and stops cleanly: a stop lets the command in flight have its
// outcome (at most its reply window) and sends nothing after it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/result_line.hpp"
#include "cli/vocabulary.hpp"
#include "core/timer.hpp"
#include "link/exchange_queue.hpp"

namespace qm5::cli {

class CommandRunner {
public:
    using Report = std::function<void(const Step& step, const Outcome& outcome)>;

    // everyMs: the time from the start of one round to the start of the next;
    // none runs the list once.
    CommandRunner(ExchangeQueue& queue, Clock& clock, std::vector<Step> steps, std::string prefix,
        std::optional<int> everyMs, Report report);

    void start();
    void stop();
    bool isFinished() const { return finished_; }
    // The worst outcome so far; a list cut short by a stop counts as not
    // carried out, unless rounds were asked for.
    ExitStatus exitStatus() const;
    // Commands of a single run that a stop kept from being sent.
    std::size_t unsentCount() const { return everyMs_ ? 0 : steps_.size() - next_; }
    // The command waiting for its outcome, if any.
    const Step* inFlight() const { return inFlight_ ? &steps_[next_] : nullptr; }

    std::function<void()> onFinished;

private:
    void send();
    void onOutcome(const Outcome& outcome);
    void waitThen(std::int64_t ms);
    void finish();

    ExchangeQueue& queue_;
    Clock& clock_;
    std::vector<Step> steps_;
    std::string prefix_;
    std::optional<int> everyMs_;
    Report report_;
    std::unique_ptr<Timer> waitTimer_; // the next round, or quiet after a missing reply
    std::size_t next_ = 0;
    std::int64_t roundDueUs_ = 0;
    ExitStatus worst_ = allAnswered;
    bool inFlight_ = false;
    bool stopping_ = false;
    bool finished_ = false;
};

} // namespace qm5::cli
