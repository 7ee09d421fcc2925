#pragma once
// Asks every projector on the line, in turn, for its power status and then
// the rest of the watched queries, once a period, at the lowest priority.
// A projector that does not answer its power status is not asked the rest.
// A round that takes longer than the period is not stacked on the next: the
// next starts when it ends.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/timer.hpp"
#include "pjlink/cached_line.hpp"
#include "pjlink/projector_watch.hpp"

namespace qm5::pjlink {

class Poller {
public:
    using Log = std::function<void(const std::string&)>;
    using WallClock = std::function<std::int64_t()>; // ms since the epoch

    Poller(CachedLine& line, Clock& clock, ProjectorWatch& watch, std::vector<std::string> prefixes, int periodMs,
        WallClock wallClock, Log log = {});
    ~Poller();
    Poller(const Poller&) = delete;
    Poller& operator=(const Poller&) = delete;

    // The first round at once.
    void start();
    std::uint64_t rounds() const { return rounds_; }

private:
    void startRound();
    void ask();
    void answered(const Outcome& outcome);
    void nextProjector(bool answered);

    CachedLine& line_;
    Clock& clock_;
    ProjectorWatch& watch_;
    std::vector<std::string> prefixes_;
    std::int64_t periodUs_;
    WallClock wallClock_;
    Log log_;
    std::unique_ptr<Timer> timer_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::size_t projector_ = 0;
    std::size_t query_ = 0;
    std::int64_t roundStartUs_ = 0;
    std::uint64_t rounds_ = 0;
    bool overrunTold_ = false;
};

} // namespace qm5::pjlink
