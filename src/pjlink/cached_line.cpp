#include "pjlink/cached_line.hpp"

#include "panel/command_catalogue.hpp"

namespace qm5::pjlink {

CachedLine::CachedLine(ExchangeQueue& queue, Clock& clock, int maxAgeMs, Log log)
    : queue_(queue)
    , clock_(clock)
    , maxAgeUs_(std::int64_t{maxAgeMs} * 1000)
    , log_(std::move(log))
{ }

void CachedLine::query(const std::string& prefix, std::string_view button, Done done)
{
    const Key key{prefix, button};
    if (const auto known = results_.find(key); known != results_.end()) {
        if (clock_.nowUs() - known->second.atUs < maxAgeUs_) {
            const Outcome outcome = known->second.outcome; // done may send and forget it
            return done(outcome);
        }
        results_.erase(known);
    }
    if (const auto waiting = joinable_.find(key); waiting != joinable_.end())
        return waiting->second->push_back(std::move(done));

    auto waiters = std::make_shared<Waiters>();
    waiters->push_back(std::move(done));
    joinable_[key] = waiters;
    submit(prefix, button, [this, key, waiters](const Outcome& outcome) {
        if (const auto it = joinable_.find(key); it != joinable_.end() && it->second == waiters)
            joinable_.erase(it);
        // A line that could not be opened told nothing about the projector.
        if (outcome.kind != Outcome::Kind::NotSent)
            results_[key] = {outcome, clock_.nowUs()};
        for (const Done& waiter : *waiters)
            waiter(outcome);
    });
}

void CachedLine::send(const std::string& prefix, std::string_view button, Done done)
{
    forget(prefix);
    submit(prefix, button, [this, prefix, done = std::move(done)](const Outcome& outcome) {
        // What was read before this command went out is out of date now.
        forget(prefix);
        done(outcome);
    });
}

void CachedLine::submit(const std::string& prefix, std::string_view button, Done done)
{
    const OneShotButton* b = findOneShotButton(button);
    const ReplyTimes times = b->replyTimes.value_or(startReplyTimes);
    queue_.submit(
        {prefix, std::string(b->code), times.replyWindowMs}, [this, done = std::move(done)](const Outcome& outcome) {
            noteLineState(outcome);
            done(outcome);
        });
}

void CachedLine::forget(const std::string& prefix)
{
    std::erase_if(results_, [&](const auto& entry) { return entry.first.first == prefix; });
    // Queries already waiting finish for those who asked before; nobody joins them now.
    std::erase_if(joinable_, [&](const auto& entry) { return entry.first.first == prefix; });
}

void CachedLine::noteLineState(const Outcome& outcome)
{
    const bool up = outcome.kind != Outcome::Kind::NotSent;
    if (up != lineUp_ && log_)
        log_(up ? "serial line open again" : "serial line not open: " + outcome.error);
    lineUp_ = up;
}

} // namespace qm5::pjlink
