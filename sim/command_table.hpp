#pragma once
// The commands the virtual projector understands. Fixed texts live in one
// table; the 32 input-source commands follow one pattern and are parsed.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qm5::sim {

enum class Action : std::uint8_t {
    PowerOn,
    PowerOff,
    SelectInput,    // arg: input 1..4
    SetInputSource, // arg: input 1..4, step: index into kSourceWords
    NoShowOn,
    NoShowOff,
    LampMode,    // arg: mode 0..2
    FanSpeed,    // arg: 1 for MAX, 0 for normal
    Acknowledge, // understood; nothing the queries can see changes
    Query,       // arg: a Query
};

enum class Query : std::uint8_t {
    PowerStatus,
    InputMode,
    LampHours,
    Orientation,
    Temperatures,
    LampStatus,
    PcType,
    MuteStatus,
    Pressure,
    PowerFailInfo,
};

struct Command {
    std::string_view text;
    Action action;
    std::int8_t arg = 0;
    std::int8_t step = 0;
};

// Source words of "CF INPUTn <word>", n from 1 to 4.
inline constexpr std::array<std::string_view, 8> kSourceWords = {
    "DIGITAL",
    "ANALOG",
    "VIDEO",
    "YPBPR",
    "YCBCR",
    "S-VIDEO",
    "YC",
    "HD-SDI",
};

inline constexpr std::string_view kInputSourcePrefix = "CF INPUT";

inline constexpr std::array kCommands = {
    Command{"C00", Action::PowerOn},
    Command{"C01", Action::PowerOff},
    Command{"C05", Action::SelectInput, 1},
    Command{"C06", Action::SelectInput, 2},
    Command{"C07", Action::SelectInput, 3},
    Command{"C08", Action::SelectInput, 4},
    Command{"C0D", Action::NoShowOn},
    Command{"C0E", Action::NoShowOff},
    Command{"C70", Action::LampMode, 0},
    Command{"C71", Action::LampMode, 1},
    Command{"C72", Action::LampMode, 2},
    Command{"CF FANSPEED MAX", Action::FanSpeed, 1},
    Command{"CF FANSPEED NOR", Action::FanSpeed, 0},
    // Picture size, menu, freeze, picture keys, cursor pad, lens and picture
    // adjustments: accepted, with no effect a query could report.
    Command{"C0F", Action::Acknowledge},
    Command{"C10", Action::Acknowledge},
    Command{"C1C", Action::Acknowledge},
    Command{"C1D", Action::Acknowledge},
    Command{"C43", Action::Acknowledge},
    Command{"C44", Action::Acknowledge},
    Command{"C89", Action::Acknowledge},
    Command{"C27", Action::Acknowledge},
    Command{"C8A", Action::Acknowledge},
    Command{"C1E", Action::Acknowledge},
    Command{"C3C", Action::Acknowledge},
    Command{"C3D", Action::Acknowledge},
    Command{"C3B", Action::Acknowledge},
    Command{"C3A", Action::Acknowledge},
    Command{"C3F", Action::Acknowledge},
    Command{"C47", Action::Acknowledge},
    Command{"C46", Action::Acknowledge},
    Command{"C4B", Action::Acknowledge},
    Command{"C4A", Action::Acknowledge},
    Command{"C30", Action::Acknowledge},
    Command{"C31", Action::Acknowledge},
    Command{"C8E", Action::Acknowledge},
    Command{"C8F", Action::Acknowledge},
    Command{"C5D", Action::Acknowledge},
    Command{"C5E", Action::Acknowledge},
    Command{"C5F", Action::Acknowledge},
    Command{"C60", Action::Acknowledge},
    Command{"CF IMAGE STAND", Action::Acknowledge},
    Command{"CF IMAGE REAL", Action::Acknowledge},
    Command{"CF IMAGE CINEMA", Action::Acknowledge},
    Command{"CF IMAGE IMAGE1", Action::Acknowledge},
    Command{"CF IMAGE IMAGE2", Action::Acknowledge},
    Command{"CF IMAGE IMAGE3", Action::Acknowledge},
    Command{"CF IMAGE IMAGE4", Action::Acknowledge},
    Command{"CR0", Action::Query, static_cast<std::int8_t>(Query::PowerStatus)},
    Command{"CR1", Action::Query, static_cast<std::int8_t>(Query::InputMode)},
    Command{"CR3", Action::Query, static_cast<std::int8_t>(Query::LampHours)},
    Command{"CR4", Action::Query, static_cast<std::int8_t>(Query::Orientation)},
    Command{"CR6", Action::Query, static_cast<std::int8_t>(Query::Temperatures)},
    Command{"CR7", Action::Query, static_cast<std::int8_t>(Query::LampStatus)},
    Command{"CR9", Action::Query, static_cast<std::int8_t>(Query::PcType)},
    Command{"CRA", Action::Query, static_cast<std::int8_t>(Query::MuteStatus)},
    Command{"CR PRESSURE", Action::Query, static_cast<std::int8_t>(Query::Pressure)},
    Command{"CR INFPFAIL", Action::Query, static_cast<std::int8_t>(Query::PowerFailInfo)},
};

// Exact, case-sensitive match of a whole command text (no prefix, no CR).
std::optional<Command> lookupCommand(std::string_view text);

} // namespace qm5::sim
