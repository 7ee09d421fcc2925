#include "pjlink/poller.hpp"

#include <algorithm>

namespace qm5::pjlink {

Poller::Poller(CachedLine& line, Clock& clock, ProjectorWatch& watch, std::vector<std::string> prefixes, int periodMs,
    WallClock wallClock, Log log)
    : line_(line)
    , clock_(clock)
    , watch_(watch)
    , prefixes_(std::move(prefixes))
    , periodUs_(std::int64_t{periodMs} * 1000)
    , wallClock_(std::move(wallClock))
    , log_(std::move(log))
    , timer_(clock.timer(periodMs, [this] {
        timer_->stop();
        startRound();
    }))
{ }

Poller::~Poller()
{
    // An outcome that comes after the poller has gone finds nobody.
    *alive_ = false;
}

void Poller::start()
{
    if (!prefixes_.empty())
        startRound();
}

void Poller::startRound()
{
    roundStartUs_ = clock_.nowUs();
    projector_ = 0;
    query_ = 0;
    ask();
}

void Poller::ask()
{
    line_.poll(prefixes_[projector_], watchedQueries[query_].button, [this, alive = alive_](const Outcome& outcome) {
        if (*alive)
            answered(outcome);
    });
}

void Poller::answered(const Outcome& outcome)
{
    const bool heard = outcome.kind == Outcome::Kind::Answered || outcome.kind == Outcome::Kind::Refused;
    // The power status comes first: without it the projector is not there.
    if (query_ == 0 && !heard)
        return nextProjector(false);
    if (++query_ < watchedQueries.size())
        return ask();
    nextProjector(true);
}

void Poller::nextProjector(bool answered)
{
    watch_.notePoll(prefixes_[projector_], answered, wallClock_());
    query_ = 0;
    if (++projector_ < prefixes_.size())
        return ask();
    ++rounds_;
    const std::int64_t elapsedUs = clock_.nowUs() - roundStartUs_;
    if (elapsedUs >= periodUs_ && !overrunTold_ && log_) {
        overrunTold_ = true;
        log_("a poll round took " + std::to_string(elapsedUs / 1000) + " ms, longer than its period; rounds now "
            + "follow one another");
    }
    timer_->setInterval(static_cast<int>(std::max<std::int64_t>(periodUs_ - elapsedUs, 0) / 1000));
    timer_->start();
}

} // namespace qm5::pjlink
