#include "protocol/readings.hpp"

#include <charconv>

#include "protocol/decode_table.hpp"
#include "protocol/frame.hpp"
#include "protocol/lamp_table.hpp"
#include "protocol/pressure.hpp"

namespace qm5 {

namespace {

// The reply without its CR; nothing while it is not complete.
std::optional<std::string_view> body(std::string_view reply)
{
    if (!reply.ends_with(carriageReturn))
        return std::nullopt;
    reply.remove_suffix(1);
    return reply;
}

// The start of a reply as the display tables key it: " 8 0" or " 3".
std::optional<std::string> keyOf(std::string_view reply, std::size_t characters)
{
    const auto text = body(reply);
    if (!text || text->size() < characters)
        return std::nullopt;
    std::string key;
    for (std::size_t i = 0; i < characters; ++i)
        key.append(1, ' ').append(1, (*text)[i]);
    return key;
}

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits with at most one point among them, after any leading blanks.
std::optional<double> decimal(std::string_view field)
{
    while (field.starts_with(' '))
        field.remove_prefix(1);
    bool digit = false;
    bool point = false;
    for (const char c : field) {
        if (c == '.' && !point)
            point = true;
        else if (isDigit(c))
            digit = true;
        else
            return std::nullopt;
    }
    double value = 0;
    if (!digit || std::from_chars(field.data(), field.data() + field.size(), value).ec != std::errc())
        return std::nullopt;
    return value;
}

struct MuteMeaning {
    std::string_view replyKey;
    MuteReading reading;
};

constexpr std::array<MuteMeaning, 6> muteMeanings{{
    {" 0 0", {}},
    {" 0 1", {MuteReading::Signal::Present, true, false}},
    {" 0 2", {MuteReading::Signal::Present, false, true}},
    {" 0 3", {MuteReading::Signal::Present, true, true}},
    {" 8 0", {MuteReading::Signal::None}},
    {" F F", {MuteReading::Signal::Standby}},
}};

static_assert(readings_detail::coversTable(muteMeanings, muteSignalRows), "one reading for every mute status");

} // namespace

std::string_view powerStateName(PowerState state)
{
    switch (state) {
    case PowerState::Standby:
        return "standby";
    case PowerState::Warming:
        return "warming";
    case PowerState::On:
        return "on";
    case PowerState::Cooling:
        return "cooling";
    case PowerState::Fail:
        break;
    }
    return "fail";
}

std::vector<std::string_view> warningNames(const PowerReading& reading)
{
    std::vector<std::string_view> names;
    if (reading.temperatureWarning)
        names.push_back("temperature");
    if (reading.allLampsFailed)
        names.push_back("all-lamps-failed");
    if (reading.noKeyInput)
        names.push_back("no-key-input");
    if (reading.lampsOffByPowerManagement)
        names.push_back("lamps-off-by-power-management");
    return names;
}

ErrorStatus errorStatusOf(const PowerReading& reading)
{
    ErrorStatus status;
    auto& [fan, lamp, temperature, cover, filter, other] = status.digits;
    if (reading.allLampsFailed)
        lamp = '2';
    if (reading.temperatureWarning)
        temperature = '1';
    if (reading.state == PowerState::Fail)
        other = '2';
    return status;
}

std::string_view lampModeName(LampStatus::Mode mode)
{
    switch (mode) {
    case LampStatus::Mode::FourLamps:
        break;
    case LampStatus::Mode::Lamps1And4:
        return "1-4";
    case LampStatus::Mode::Lamps2And3:
        return "2-3";
    }
    return "4";
}

std::optional<PowerReading> readPower(std::string_view reply)
{
    const auto key = keyOf(reply, 2);
    const PowerMeaning* meaning = key ? findRow(powerMeanings, &PowerMeaning::replyKey, *key) : nullptr;
    return meaning ? std::optional(meaning->reading) : std::nullopt;
}

std::optional<int> readInput(std::string_view reply)
{
    const auto key = keyOf(reply, 1);
    const std::size_t row = key ? rowIndex(inputModeRows, &DecodeRow::key, *key) : inputModeRows.size();
    return row < inputModeRows.size() ? std::optional(static_cast<int>(row) + 1) : std::nullopt;
}

std::optional<Orientation> readOrientation(std::string_view reply)
{
    const auto key = keyOf(reply, 2);
    if (!key || !lookupReplyKey(orientationTable, *key))
        return std::nullopt;
    // As the panel's texts read them: a 0 second is top and bottom reversed,
    // a 0 first left and right.
    return Orientation{(*key)[3] == '0', (*key)[1] == '0'};
}

std::optional<MuteReading> readMute(std::string_view reply)
{
    const auto key = keyOf(reply, 2);
    const MuteMeaning* meaning = key ? findRow(muteMeanings, &MuteMeaning::replyKey, *key) : nullptr;
    return meaning ? std::optional(meaning->reading) : std::nullopt;
}

std::optional<LampStatus> readLampStatus(std::string_view reply)
{
    const auto key = keyOf(reply, 2);
    if (!key || !lookupReplyKey(lampStatusTable, *key))
        return std::nullopt;
    // The first character is the mode, the second a hex mask of the lamps lit.
    LampStatus status;
    status.mode = static_cast<LampStatus::Mode>((*key)[1] - '0');
    unsigned mask = 0;
    const char hex = (*key)[3];
    std::from_chars(&hex, &hex + 1, mask, 16);
    for (std::size_t lamp = 0; lamp < lampCount; ++lamp)
        status.lit[lamp] = (mask >> lamp) & 1u;
    return status;
}

std::optional<std::array<int, lampCount>> readLampHours(std::string_view reply)
{
    const auto text = body(reply);
    if (!text)
        return std::nullopt;
    std::array<int, lampCount> hours{};
    std::size_t at = 0;
    for (std::size_t lamp = 0; lamp < lampCount; ++lamp) {
        if (lamp > 0 && (at >= text->size() || (*text)[at++] != ' '))
            return std::nullopt;
        const char* first = text->data() + at;
        const auto [end, error] = std::from_chars(first, text->data() + text->size(), hours[lamp]);
        if (error != std::errc() || end == first || end - first > 5 || *first == '-')
            return std::nullopt;
        at = static_cast<std::size_t>(end - text->data());
    }
    return at == text->size() ? std::optional(hours) : std::nullopt;
}

std::optional<std::array<double, sensorCount>> readTemperatures(std::string_view reply)
{
    const auto text = body(reply);
    if (!text || text->size() != 11 || text->substr(5, 2) != "  ")
        return std::nullopt;
    const auto first = decimal(text->substr(0, 5));
    const auto second = decimal(text->substr(7, 4));
    if (!first || !second)
        return std::nullopt;
    return std::array<double, sensorCount>{*first, *second};
}

std::optional<int> readPressureHpa(std::string_view reply)
{
    auto text = body(reply);
    if (!text)
        return std::nullopt;
    // A number and nothing else: an optional sign, digits, a point and digits.
    std::string_view number = *text;
    if (number.starts_with('-') || number.starts_with('+'))
        number.remove_prefix(1);
    const std::size_t point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? "x" : number.substr(point + 1);
    const auto allDigits = [](std::string_view s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!allDigits(whole) || (point != std::string_view::npos && !allDigits(fraction)))
        return std::nullopt;
    const auto raw = readPressureReading(*text);
    const auto hpa = raw ? pressureFromReading(*raw) : std::nullopt;
    return hpa ? std::optional(static_cast<int>(*hpa)) : std::nullopt;
}

} // namespace qm5
