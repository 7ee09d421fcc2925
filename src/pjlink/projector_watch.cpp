#include "pjlink/projector_watch.hpp"

#include "layout/control_names.hpp"
#include "protocol/transcript.hpp"

namespace qm5::pjlink {

namespace c = controls;

const std::array<WatchedQuery, 7> watchedQueries{{
    {c::statusQuery, "power"},
    {c::modeQuery, "input"},
    {c::muteQuery, "mute"},
    {c::lampModeQuery, "lamp_status"},
    {c::lampTimeQuery, "lamp_hours"},
    {c::temperatureQuery, "temperatures"},
    {c::pressureQuery, "pressure"},
}};

namespace {

// Reads the reply into its place; false when it has not the shape we know.
bool read(std::string_view button, std::string_view reply, ProjectorReadings& r)
{
    const auto into = [](auto& place, auto reading) {
        if (reading)
            place = reading;
        return reading.has_value();
    };
    if (button == c::statusQuery)
        return into(r.power, readPower(reply));
    if (button == c::modeQuery)
        return into(r.input, readInput(reply));
    if (button == c::muteQuery)
        return into(r.mute, readMute(reply));
    if (button == c::lampModeQuery)
        return into(r.lamps, readLampStatus(reply));
    if (button == c::lampTimeQuery)
        return into(r.lampHours, readLampHours(reply));
    if (button == c::temperatureQuery)
        return into(r.temperatures, readTemperatures(reply));
    return into(r.pressureHpa, readPressureHpa(reply));
}

} // namespace

ProjectorWatch::ProjectorWatch(Log log) : log_(std::move(log))
{
    for (const WatchedQuery& query : watchedQueries)
        unparsed_[query.name] = 0;
}

void ProjectorWatch::note(const std::string& prefix, std::string_view button, const Outcome& outcome)
{
    const WatchedQuery* query = findRow(watchedQueries, &WatchedQuery::button, button);
    if (!query || outcome.kind != Outcome::Kind::Answered)
        return;
    ProjectorReadings& readings = projectors_[prefix];
    const ProjectorReadings before = readings;
    if (!read(button, outcome.reply, readings)) {
        // Counted every time, told once a query: a projector that always
        // answers so would fill the log.
        if (unparsed_[query->name]++ == 0 && log_)
            log_("a reply to the " + std::string(query->name)
                + " query had a shape no reading is known for:" + renderTranscript(outcome.reply));
        return;
    }
    if (changed_)
        changed_(prefix, button, before, readings);
}

ProjectorReadings ProjectorWatch::readings(const std::string& prefix) const
{
    const auto it = projectors_.find(prefix);
    return it == projectors_.end() ? ProjectorReadings{} : it->second;
}

void ProjectorWatch::notePoll(const std::string& prefix, bool answered, std::int64_t unixMs)
{
    ProjectorReadings& readings = projectors_[prefix];
    readings.up = answered;
    if (answered)
        readings.lastPollUnixMs = unixMs;
}

} // namespace qm5::pjlink
