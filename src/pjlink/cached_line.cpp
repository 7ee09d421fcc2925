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
    submit(
        prefix, button,
        [this, key, waiters](const Outcome& outcome) {
            if (const auto it = joinable_.find(key); it != joinable_.end() && it->second == waiters)
                joinable_.erase(it);
            keep(key, outcome);
            for (const Done& waiter : *waiters)
                waiter(outcome);
        },
        ExchangeQueue::Priority::Request);
}

void CachedLine::poll(const std::string& prefix, std::string_view button, Done done)
{
    // Nobody joins a poll: it may wait behind every request to come.
    submit(
        prefix, button,
        [this, key = Key{prefix, button}, done = std::move(done)](const Outcome& outcome) {
            keep(key, outcome);
            done(outcome);
        },
        ExchangeQueue::Priority::Poll);
}

void CachedLine::send(const std::string& prefix, std::string_view button, Done done)
{
    forget(prefix);
    submit(
        prefix, button,
        [this, prefix, done = std::move(done)](const Outcome& outcome) {
            // What was read before this command went out is out of date now.
            forget(prefix);
            done(outcome);
        },
        ExchangeQueue::Priority::Request);
}

void CachedLine::submit(const std::string& prefix, std::string_view button, Done done, ExchangeQueue::Priority priority)
{
    const OneShotButton* b = findOneShotButton(button);
    const ReplyTimes times = b->replyTimes.value_or(startReplyTimes);
    queue_.submit(
        {prefix, std::string(b->code), times.replyWindowMs},
        [this, done = std::move(done)](const Outcome& outcome) {
            count(outcome);
            done(outcome);
        },
        priority);
}

void CachedLine::keep(const Key& key, const Outcome& outcome)
{
    // A line that could not be opened told nothing about the projector.
    if (outcome.kind != Outcome::Kind::NotSent)
        results_[key] = {outcome, clock_.nowUs()};
    if (observer_)
        observer_(key.first, key.second, outcome);
}

void CachedLine::forget(const std::string& prefix)
{
    std::erase_if(results_, [&](const auto& entry) { return entry.first.first == prefix; });
    // Queries already waiting finish for those who asked before; nobody joins them now.
    std::erase_if(joinable_, [&](const auto& entry) { return entry.first.first == prefix; });
}

void CachedLine::count(const Outcome& outcome)
{
    switch (outcome.kind) {
    case Outcome::Kind::Answered:
        ++counters_.answered;
        break;
    case Outcome::Kind::Acknowledged:
        ++counters_.acknowledged;
        break;
    case Outcome::Kind::Refused:
        ++counters_.refused;
        break;
    case Outcome::Kind::Missing:
        ++counters_.missing;
        break;
    case Outcome::Kind::SentToAll:
    case Outcome::Kind::NotSent:
        break;
    }
    const bool sent = outcome.kind != Outcome::Kind::NotSent;
    const bool up = sent && (!isOpen_ || isOpen_());
    if (up != lineUp_ && log_)
        log_(up ? "serial line open again" : sent ? "serial line lost" : "serial line not open: " + outcome.error);
    if (up && !lineUp_ && lineBack_)
        lineBack_();
    lineUp_ = up;
}

} // namespace qm5::pjlink
