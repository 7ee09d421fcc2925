#pragma once
// What the gateway knows of each projector on the line: the readings of the
// latest answered status queries (the poller's and the clients'), whether its
// last poll was answered, and the replies no reading could be read from.
// The metrics render it; PJLink's notifications are told when it changes.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "link/exchange_queue.hpp"
#include "protocol/readings.hpp"

namespace qm5::pjlink {

struct ProjectorReadings {
    bool up = false; // its last poll was answered
    std::optional<std::int64_t> lastPollUnixMs;
    std::optional<PowerReading> power;
    std::optional<int> input;
    std::optional<MuteReading> mute;
    std::optional<LampStatus> lamps;
    std::optional<std::array<int, lampCount>> lampHours;
    std::optional<std::array<double, sensorCount>> temperatures;
    std::optional<int> pressureHpa;
};

// The status queries a reading is read from, by the name the metrics give them.
struct WatchedQuery {
    std::string_view button;
    std::string_view name;
};
extern const std::array<WatchedQuery, 7> watchedQueries;

class ProjectorWatch {
public:
    using Log = std::function<void(const std::string&)>;
    // A reading was read: the query's button, what was known before, and now.
    using Changed = std::function<void(const std::string& prefix, std::string_view button,
        const ProjectorReadings& before, const ProjectorReadings& after)>;

    explicit ProjectorWatch(Log log = {});

    // An outcome of a status query to the projector behind prefix.
    void note(const std::string& prefix, std::string_view button, const Outcome& outcome);
    // The end of a poll: answered or not, at this wall time.
    void notePoll(const std::string& prefix, bool answered, std::int64_t unixMs);

    // Nothing known yet for a projector never heard of.
    ProjectorReadings readings(const std::string& prefix) const;
    // Replies no reading could be read from, by query name.
    const std::map<std::string_view, std::uint64_t>& unparsed() const { return unparsed_; }
    void setChanged(Changed changed) { changed_ = std::move(changed); }

private:
    Log log_;
    Changed changed_;
    std::map<std::string, ProjectorReadings> projectors_;
    std::map<std::string_view, std::uint64_t> unparsed_;
};

} // namespace qm5::pjlink
