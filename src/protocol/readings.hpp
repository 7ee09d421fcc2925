#pragma once
// Readings: what a status query's reply says, as numbers, states and flags,
// read once from the reply's bytes (its CR included). The gateway, the
// metrics and qm5ctl --json use them; the panel's status line keeps its own
// texts. A reply that does not have the one shape we know gives no reading,
// never a guessed one.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/find_row.hpp"
#include "protocol/mode_tables.hpp"
#include "protocol/power_table.hpp"

namespace qm5 {

enum class PowerState {
    Standby,
    Warming, // the count down after power on
    On,
    Cooling,
    Fail,
};
inline constexpr std::array<PowerState, 5> powerStates{
    PowerState::Standby, PowerState::Warming, PowerState::On, PowerState::Cooling, PowerState::Fail};
// "standby", "warming", "on", "cooling", "fail"
std::string_view powerStateName(PowerState state);

struct PowerReading {
    PowerState state = PowerState::Standby;
    bool temperatureWarning = false;
    bool allLampsFailed = false;
    bool noKeyInput = false;
    bool lampsOffByPowerManagement = false;
};

// The status query's replies, keyed as its display table keys them: the
// first reply character is the state, the second a warning.
struct PowerMeaning {
    std::string_view replyKey;
    PowerReading reading;
};

inline constexpr std::array<PowerMeaning, 13> powerMeanings{{
    {" 0 0", {PowerState::On}},
    {" 8 0", {PowerState::Standby}},
    {" 4 0", {PowerState::Warming}},
    {" 2 0", {PowerState::Cooling}},
    {" 1 0", {PowerState::Fail}},
    {" 0 8", {PowerState::On, true}},
    {" 0 2", {PowerState::On, false, false, true}},
    {" 0 4", {PowerState::Standby, false, false, false, true}},
    {" 2 8", {PowerState::Cooling, true}},
    {" 2 4", {PowerState::Cooling, true, false, false, true}},
    {" 8 8", {PowerState::Standby, true}},
    {" 2 1", {PowerState::Cooling, false, true}},
    {" 8 1", {PowerState::Standby, false, true}},
}};

// The warnings' names, for JSON: "temperature", "all-lamps-failed",
// "no-key-input", "lamps-off-by-power-management".
std::vector<std::string_view> warningNames(const PowerReading& reading);

// PJLink's error status digits ('0' none, '1' warning, '2' error), in its
// order: fan, lamp, temperature, cover, filter, other. This projector tells
// nothing of its fan, cover or filter.
struct ErrorStatus {
    std::array<char, 6> digits{'0', '0', '0', '0', '0', '0'};
    static constexpr std::array<std::string_view, 6> components{
        "fan", "lamp", "temperature", "cover", "filter", "other"};
};
ErrorStatus errorStatusOf(const PowerReading& reading);

// The mute query: the mutes while a signal is shown, else why there are none.
struct MuteReading {
    enum class Signal {
        Present,
        None,    // on, but no input signal
        Standby, // the lamps are not lit
    };
    Signal signal = Signal::Present;
    bool video = false;
    bool audio = false;
};

struct LampStatus {
    enum class Mode {
        FourLamps,
        Lamps1And4,
        Lamps2And3,
    };
    Mode mode = Mode::FourLamps;
    std::array<bool, 4> lit{}; // No1 to No4
};
// "4", "1-4", "2-3", as qm5ctl names the lamp modes.
std::string_view lampModeName(LampStatus::Mode mode);

struct Orientation {
    bool topBottomReversed = false;
    bool leftRightReversed = false;
};

inline constexpr std::size_t lampCount = 4;
inline constexpr std::size_t sensorCount = 2;

std::optional<PowerReading> readPower(std::string_view reply);
std::optional<int> readInput(std::string_view reply); // 1 to 4
std::optional<Orientation> readOrientation(std::string_view reply);
std::optional<MuteReading> readMute(std::string_view reply);
std::optional<LampStatus> readLampStatus(std::string_view reply);
// Four numbers of one to five digits, one blank between: "0120 0340 0560 0780".
std::optional<std::array<int, lampCount>> readLampHours(std::string_view reply);
// Sensor 1 in characters 1 to 5 and sensor 2 in 8 to 11, two blanks between:
// "035.5  41.0".
std::optional<std::array<double, sensorCount>> readTemperatures(std::string_view reply);
// The raw number, converted by the panel's formula: "853" is 1013 hPa.
std::optional<int> readPressureHpa(std::string_view reply);

namespace readings_detail {

// One meaning for every row of a display table: as many, and each row's key
// among them. Indices, not addresses: a constant expression that forms no
// pointer stays one in a sanitized build too.
template <typename Meanings, typename Rows> constexpr bool coversTable(const Meanings& meanings, const Rows& rows)
{
    if (meanings.size() != rows.size())
        return false;
    for (const DecodeRow& row : rows) {
        if (rowIndex(meanings, &Meanings::value_type::replyKey, row.key) == meanings.size())
            return false;
    }
    return true;
}

} // namespace readings_detail

static_assert(readings_detail::coversTable(powerMeanings, powerStatusRows), "one reading for every power status");

} // namespace qm5
