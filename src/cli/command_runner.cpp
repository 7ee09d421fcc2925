#include "cli/command_runner.hpp"

#include <algorithm>

namespace qm5::cli {

CommandRunner::CommandRunner(ExchangeQueue& queue, Clock& clock, std::vector<Step> steps, std::string prefix,
    std::optional<int> everyMs, Report report)
    : queue_(queue)
    , clock_(clock)
    , steps_(std::move(steps))
    , prefix_(std::move(prefix))
    , everyMs_(everyMs)
    , report_(std::move(report))
    , waitTimer_(clock.timer(0, [this] {
        waitTimer_->stop();
        send();
    }))
{ }

void CommandRunner::start()
{
    roundDueUs_ = clock_.nowUs();
    if (steps_.empty())
        return finish();
    send();
}

void CommandRunner::stop()
{
    stopping_ = true;
    if (!inFlight_ && !finished_)
        finish();
}

ExitStatus CommandRunner::exitStatus() const
{
    return unsentCount() > 0 ? std::max(worst_, notCarriedOut) : worst_;
}

void CommandRunner::send()
{
    if (stopping_)
        return finish();
    inFlight_ = true;
    const Step& step = steps_[next_];
    queue_.submit({prefix_, step.command, step.replyWindowMs}, [this](const Outcome& outcome) { onOutcome(outcome); });
}

void CommandRunner::onOutcome(const Outcome& outcome)
{
    inFlight_ = false;
    report_(steps_[next_], outcome);
    worst_ = std::max(worst_, exitStatusOf(outcome.kind));
    ++next_;
    if (stopping_ || (next_ == steps_.size() && !everyMs_))
        return finish();
    // The engine keeps the line quiet for a while after a missing reply; the
    // next command waits here rather than in its queue, where a stop could
    // not take it back.
    const std::int64_t quietMs = outcome.kind == Outcome::Kind::Missing ? ExchangeQueue::lateReplyGuardMs : 0;
    if (next_ < steps_.size())
        return quietMs > 0 ? waitThen(quietMs) : send();
    next_ = 0;
    // Rounds keep their pace; one that overran its time is followed at once.
    roundDueUs_ = std::max(roundDueUs_ + std::int64_t{*everyMs_} * 1000, clock_.nowUs());
    const std::int64_t untilDueMs = (roundDueUs_ - clock_.nowUs() + 999) / 1000;
    waitThen(std::max(untilDueMs, quietMs));
}

void CommandRunner::waitThen(std::int64_t ms)
{
    waitTimer_->setInterval(static_cast<int>(std::max<std::int64_t>(ms, 0)));
    waitTimer_->start();
}

void CommandRunner::finish()
{
    if (finished_)
        return;
    finished_ = true;
    waitTimer_->stop();
    if (onFinished)
        onFinished();
}

} // namespace qm5::cli
