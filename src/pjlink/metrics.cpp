#include "pjlink/metrics.hpp"

#include <cmath>
#include <cstdio>

namespace qm5::pjlink {

namespace {

using Labels = std::vector<std::pair<std::string_view, std::string>>;

class Exposition {
public:
    void family(std::string_view name, std::string_view type, std::string_view help)
    {
        name_ = name;
        out_.append("# HELP ").append(name).append(" ").append(help).append("\n");
        out_.append("# TYPE ").append(name).append(" ").append(type).append("\n");
    }
    void sample(const Labels& labels, double value)
    {
        out_.append(name_);
        if (!labels.empty()) {
            out_.push_back('{');
            for (std::size_t i = 0; i < labels.size(); ++i) {
                out_.append(i ? "," : "").append(labels[i].first).append("=\"");
                out_.append(escapeLabelValue(labels[i].second)).append("\"");
            }
            out_.push_back('}');
        }
        char number[32];
        // Integers as integers; %.17g keeps any double exactly.
        if (value == std::floor(value) && std::fabs(value) < 1e15)
            std::snprintf(number, sizeof number, " %.0f\n", value);
        else
            std::snprintf(number, sizeof number, " %.17g\n", value);
        out_.append(number);
    }
    std::string take() { return std::move(out_); }

private:
    std::string name_;
    std::string out_;
};

using Projectors = std::vector<std::pair<std::string, ProjectorReadings>>;

void powerFamilies(Exposition& e, const Projectors& projectors)
{
    e.family("qm5_power_state", "gauge", "The projector's power state: 1 for the current one.");
    for (const auto& [name, r] : projectors) {
        if (!r.power)
            continue;
        for (const PowerState state : powerStates)
            e.sample({{"projector", name}, {"state", std::string(powerStateName(state))}}, r.power->state == state);
    }
    e.family("qm5_error_status", "gauge",
        "PJLink's error status of a component: 0 none, 1 warning, 2 error (fan, cover and filter are never told).");
    for (const auto& [name, r] : projectors) {
        if (!r.power)
            continue;
        const ErrorStatus status = errorStatusOf(*r.power);
        for (std::size_t i = 0; i < status.digits.size(); ++i) {
            e.sample(
                {{"projector", name}, {"component", std::string(ErrorStatus::components[i])}}, status.digits[i] - '0');
        }
    }
}

void lampFamilies(Exposition& e, const Projectors& projectors)
{
    e.family("qm5_lamp_operating_seconds", "gauge", "Time the lamp has been lit, as the projector counts it in hours.");
    for (const auto& [name, r] : projectors) {
        for (std::size_t lamp = 0; r.lampHours && lamp < lampCount; ++lamp)
            e.sample({{"projector", name}, {"lamp", std::to_string(lamp + 1)}}, (*r.lampHours)[lamp] * 3600.0);
    }
    e.family("qm5_lamp_on", "gauge", "1 while the lamp is lit.");
    for (const auto& [name, r] : projectors) {
        for (std::size_t lamp = 0; r.lamps && lamp < lampCount; ++lamp)
            e.sample({{"projector", name}, {"lamp", std::to_string(lamp + 1)}}, r.lamps->lit[lamp]);
    }
}

void sensorFamilies(Exposition& e, const Projectors& projectors)
{
    e.family("qm5_temperature_celsius", "gauge", "The projector's temperature sensors.");
    for (const auto& [name, r] : projectors) {
        for (std::size_t sensor = 0; r.temperatures && sensor < sensorCount; ++sensor)
            e.sample({{"projector", name}, {"sensor", std::to_string(sensor + 1)}}, (*r.temperatures)[sensor]);
    }
    e.family("qm5_pressure_pascals", "gauge", "Air pressure at the projector.");
    for (const auto& [name, r] : projectors) {
        if (r.pressureHpa)
            e.sample({{"projector", name}}, *r.pressureHpa * 100.0);
    }
    e.family("qm5_input", "gauge", "The input mode selected, 1 to 4.");
    for (const auto& [name, r] : projectors) {
        if (r.input)
            e.sample({{"projector", name}}, *r.input);
    }
    e.family("qm5_signal_present", "gauge", "1 while the projector shows an input signal, 0 while it has none.");
    for (const auto& [name, r] : projectors) {
        if (r.mute && r.mute->signal != MuteReading::Signal::Standby)
            e.sample({{"projector", name}}, r.mute->signal == MuteReading::Signal::Present);
    }
}

} // namespace

std::string escapeLabelValue(std::string_view value)
{
    std::string out;
    for (const char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out.push_back(c);
    }
    return out;
}

std::string renderMetrics(const MetricsInput& input)
{
    Exposition e;
    e.family("qm5_up", "gauge", "1 when the projector's last poll was answered, else 0.");
    for (const auto& [name, r] : input.projectors)
        e.sample({{"projector", name}}, r.up);
    e.family("qm5_last_poll_timestamp_seconds", "gauge", "When the projector last answered a poll.");
    for (const auto& [name, r] : input.projectors) {
        if (r.lastPollUnixMs)
            e.sample({{"projector", name}}, static_cast<double>(*r.lastPollUnixMs) / 1000);
    }
    e.family("qm5_serial_line_up", "gauge", "1 while the serial device is open.");
    e.sample({}, input.serialLineUp);
    powerFamilies(e, input.projectors);
    lampFamilies(e, input.projectors);
    sensorFamilies(e, input.projectors);
    e.family("qm5_serial_exchanges_total", "counter", "Exchanges on the serial line, by how they ended.");
    const auto& x = input.exchanges;
    for (const auto& [outcome, count] : {std::pair{"answered", x.answered}, {"acknowledged", x.acknowledged},
             {"refused", x.refused}, {"missing", x.missing}})
        e.sample({{"outcome", outcome}}, static_cast<double>(count));
    e.family("qm5_unparsed_replies_total", "counter", "Replies to a status query that no reading could be read from.");
    for (const auto& [query, count] : input.unparsed)
        e.sample({{"query", std::string(query)}}, static_cast<double>(count));
    e.family("qm5_pjlink_clients", "gauge", "PJLink clients connected.");
    e.sample({}, input.pjlinkClients);
    return e.take();
}

} // namespace qm5::pjlink
