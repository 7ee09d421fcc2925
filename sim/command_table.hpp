#pragma once
// The commands the virtual projector understands. Fixed texts live in one
// table; the 32 input-source commands follow one pattern and are parsed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qm5::sim {

enum class Action : std::uint8_t {
    PowerOn,
    PowerOff,
    SelectInput,    // arg: input 1..4
    SetInputSource, // arg: input 1..4, step: index into sourceWords
    NoShowOn,
    NoShowOff,
    LampMode, // arg: mode 0..2
    FanSpeed, // arg: 1 for MAX, 0 for normal
    Set,      // setting arg takes the value step
    Step,     // setting arg moves by step
    Query,    // arg: a Query
};

// What the picture, menu and lens commands change. No query reports them;
// tests read them to see that a button did what its caption says.
enum class Setting : std::uint8_t {
    Wide,    // picture size: 0 regular, 1 wide
    Menu,    // 1 while the menu is shown
    Freeze,  // 1 while the picture is frozen
    Picture, // 0 stand, 1 real, 2 cinema, 3 to 6 image 1 to 4
    Zoom,    // lens and picture adjustments, in steps from the start
    Focus,
    DigitalZoom,
    Keystone,
    ShiftX,        // lens shift, right is positive
    ShiftY,        // up is positive
    CursorX,       // menu cursor moves, right is positive
    CursorY,       // up is positive
    Selects,       // menu selections made
    AutoAdjusts,   // "A-PC ADJ" presses
    ImageKeys,     // "IMAGE" presses
    TimerKeys,     // "P-TIMER" presses
    DisplayClears, // "DISPLAY CLEAR" presses
};
inline constexpr std::size_t settingCount = 17;

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
inline constexpr std::array<std::string_view, 8> sourceWords = {
    "DIGITAL",
    "ANALOG",
    "VIDEO",
    "YPBPR",
    "YCBCR",
    "S-VIDEO",
    "YC",
    "HD-SDI",
};

inline constexpr std::string_view inputSourcePrefix = "CF INPUT";

constexpr std::int8_t set(Setting s)
{
    return static_cast<std::int8_t>(s);
}

inline constexpr std::array commands = {
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
    Command{"C0F", Action::Set, set(Setting::Wide), 0},
    Command{"C10", Action::Set, set(Setting::Wide), 1},
    Command{"C1C", Action::Set, set(Setting::Menu), 1},
    Command{"C1D", Action::Set, set(Setting::Menu), 0},
    Command{"C43", Action::Set, set(Setting::Freeze), 1},
    Command{"C44", Action::Set, set(Setting::Freeze), 0},
    Command{"CF IMAGE STAND", Action::Set, set(Setting::Picture), 0},
    Command{"CF IMAGE REAL", Action::Set, set(Setting::Picture), 1},
    Command{"CF IMAGE CINEMA", Action::Set, set(Setting::Picture), 2},
    Command{"CF IMAGE IMAGE1", Action::Set, set(Setting::Picture), 3},
    Command{"CF IMAGE IMAGE2", Action::Set, set(Setting::Picture), 4},
    Command{"CF IMAGE IMAGE3", Action::Set, set(Setting::Picture), 5},
    Command{"CF IMAGE IMAGE4", Action::Set, set(Setting::Picture), 6},
    Command{"C89", Action::Step, set(Setting::AutoAdjusts), 1},
    Command{"C27", Action::Step, set(Setting::ImageKeys), 1},
    Command{"C8A", Action::Step, set(Setting::TimerKeys), 1},
    Command{"C1E", Action::Step, set(Setting::DisplayClears), 1},
    Command{"C3C", Action::Step, set(Setting::CursorY), 1},
    Command{"C3D", Action::Step, set(Setting::CursorY), -1},
    Command{"C3B", Action::Step, set(Setting::CursorX), -1},
    Command{"C3A", Action::Step, set(Setting::CursorX), 1},
    Command{"C3F", Action::Step, set(Setting::Selects), 1},
    Command{"C47", Action::Step, set(Setting::Zoom), 1},
    Command{"C46", Action::Step, set(Setting::Zoom), -1},
    Command{"C4B", Action::Step, set(Setting::Focus), 1},
    Command{"C4A", Action::Step, set(Setting::Focus), -1},
    Command{"C30", Action::Step, set(Setting::DigitalZoom), 1},
    Command{"C31", Action::Step, set(Setting::DigitalZoom), -1},
    Command{"C8E", Action::Step, set(Setting::Keystone), 1},
    Command{"C8F", Action::Step, set(Setting::Keystone), -1},
    Command{"C5D", Action::Step, set(Setting::ShiftY), 1},
    Command{"C5E", Action::Step, set(Setting::ShiftY), -1},
    Command{"C5F", Action::Step, set(Setting::ShiftX), -1},
    Command{"C60", Action::Step, set(Setting::ShiftX), 1},
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
