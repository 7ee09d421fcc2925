#pragma once
// This projector as a PJLink Class 1 and Class 2 device, written once: which
// button each PJLink setting presses, which status queries each PJLink query
// reads, and what the replies mean in PJLink's terms. Buttons are named by
// control and sent with the catalogue's codes; replies are read as readings
// (protocol/readings.hpp). docs/pjlink.md says the same in prose, with the
// clause of PJLink behind each answer.

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/find_row.hpp"
#include "layout/control_names.hpp"
#include "link/exchange_queue.hpp"
#include "panel/command_catalogue.hpp"
#include "protocol/mode_tables.hpp"
#include "protocol/readings.hpp"

namespace qm5::pjlink {

namespace c = controls;

// PJLink's power digit of a power state; none for a failed projector,
// which PJLink answers with ERR4.
constexpr std::optional<char> pjlinkPower(PowerState state)
{
    switch (state) {
    case PowerState::Standby:
        return '0';
    case PowerState::On:
        return '1';
    case PowerState::Cooling:
        return '2';
    case PowerState::Warming:
        return '3';
    case PowerState::Fail:
        break;
    }
    return std::nullopt;
}

// The four input modes. The projector never says which source an input
// carries, so all four are PJLink type 1 and numbered as the input modes.
struct InputMapping {
    std::string_view pjlink;
    std::string_view button;
};

inline constexpr std::array<InputMapping, 4> inputs{{
    {"11", c::inputMode1},
    {"12", c::inputMode2},
    {"13", c::inputMode3},
    {"14", c::inputMode4},
}};

// When a setting may be sent: Steady is neither warming up nor cooling down.
enum class Needs {
    Steady,
    On,
};

struct Setting {
    std::string_view body;
    std::string_view parameter;
    std::string_view button;
    Needs needs;
};

// NO SHOW blanks picture and sound together: it stands for the combined
// mute and for the picture mute, which clients use to blank the screen. The
// sound mutes alone (21, 20) have no button and answer ERR2. INPT's settings
// are the inputs above.
inline constexpr std::array<Setting, 8> settings{{
    {"POWR", "1", c::powerOn, Needs::Steady},
    {"POWR", "0", c::powerOff, Needs::Steady},
    {"AVMT", "31", c::noShowOn, Needs::On},
    {"AVMT", "30", c::noShowOff, Needs::On},
    {"AVMT", "11", c::noShowOn, Needs::On},
    {"AVMT", "10", c::noShowOff, Needs::On},
    {"FREZ", "1", c::freezeOn, Needs::On},
    {"FREZ", "0", c::freezeOff, Needs::On},
}};

enum class Reading {
    Power,
    Input,
    Mute,
    Errors,
    Lamps,
    InputList,
    Name,
    Manufacturer,
    Product,
    OtherInformation,
    Class,
    SerialNumber,
    SoftwareVersion,
    InputName,
    InputResolution,
    RecommendedResolution,
    FilterTime,
    LampModel,
    FilterModel,
    Freeze,
    NoSetting, // a volume the projector cannot step: ERR2 to any parameter
    Absent,    // a part the projector does not have: ERR1
};

// The classes that define a command: PJLink answers a command under the
// class it was asked in, "%1" or "%2".
enum Classes : unsigned {
    classOne = 1,
    classTwo = 2,
    bothClasses = 3,
};

struct CommandRow {
    std::string_view body;
    Classes classes;
    Reading reading;
    std::array<std::string_view, 2> reads; // status queries asked, in order; "" for none
    bool settable;
};

inline constexpr std::array<CommandRow, 24> commands{{
    {"POWR", classOne, Reading::Power, {c::statusQuery, ""}, true},
    {"INPT", bothClasses, Reading::Input, {c::modeQuery, ""}, true},
    {"AVMT", classOne, Reading::Mute, {c::muteQuery, ""}, true},
    {"ERST", classOne, Reading::Errors, {c::statusQuery, ""}, false},
    {"LAMP", classOne, Reading::Lamps, {c::lampTimeQuery, c::lampModeQuery}, false},
    {"INST", bothClasses, Reading::InputList, {"", ""}, false},
    {"NAME", classOne, Reading::Name, {"", ""}, false},
    {"INF1", classOne, Reading::Manufacturer, {"", ""}, false},
    {"INF2", classOne, Reading::Product, {"", ""}, false},
    {"INFO", classOne, Reading::OtherInformation, {"", ""}, false},
    {"CLSS", classOne, Reading::Class, {"", ""}, false},
    {"SNUM", classTwo, Reading::SerialNumber, {"", ""}, false},
    {"SVER", classTwo, Reading::SoftwareVersion, {"", ""}, false},
    {"INNM", classTwo, Reading::InputName, {"", ""}, false},
    {"IRES", classTwo, Reading::InputResolution, {c::muteQuery, ""}, false},
    {"RRES", classTwo, Reading::RecommendedResolution, {"", ""}, false},
    {"FILT", classTwo, Reading::FilterTime, {"", ""}, false},
    {"RLMP", classTwo, Reading::LampModel, {"", ""}, false},
    {"RFIL", classTwo, Reading::FilterModel, {"", ""}, false},
    {"SVOL", classTwo, Reading::NoSetting, {"", ""}, true},
    {"MVOL", classTwo, Reading::Absent, {"", ""}, true},
    {"FREZ", classTwo, Reading::Freeze, {"", ""}, true},
    // Searches and notifications are datagrams, never TCP commands.
    {"SRCH", classTwo, Reading::Absent, {"", ""}, false},
    {"LKUP", classTwo, Reading::Absent, {"", ""}, false},
}};

inline constexpr std::string_view manufacturer = "ORVA";
inline constexpr std::string_view product = "QM5";
inline constexpr std::string_view otherInformation = "RS-232C via qm5-pjlink";
inline constexpr std::string_view pjlinkClass = "2";

// The row a command is answered by, or nullptr for ERR1. A command of Class
// 2 asked under "%1" is answered as under "%2": Companion asks "%1SVOL",
// OpenLP "%1FILT ?" and "%1FREZ ?", and an ERR1 would cost them more than
// the answer costs us. The datagram-only bodies are no command on TCP.
const CommandRow* findCommand(char classDigit, std::string_view body);

// The setting a PJLink set command stands for, INPT's included.
std::optional<Setting> findSetting(std::string_view body, std::string_view parameter);

// What the status query's answer says, nothing when it says nothing known.
std::optional<PowerReading> powerOf(const Outcome& status);

// What the gateway knows of a projector beyond its replies: its names and
// part numbers from the options, and what it set through PJLink.
struct ProjectorFacts {
    std::string name;                              // NAME's answer
    std::map<std::string, std::string> inputNames; // INNM's answers by input, e.g. "11"
    std::string serialNumber;                      // empty: not known
    std::string lampModel;
    std::string filterModel;
    bool frozen = false;                   // FREZ set since it was last switched on
    std::optional<MuteReading> knownMutes; // the mutes last read or set
};

// "%2INNM ?11": the input named after the question mark.
std::optional<std::string_view> inputNameAsked(std::string_view parameter);

// The answer to a query from the replies to its reads, all of them answered.
std::string answerQuery(
    const CommandRow& row, std::span<const Outcome> replies, const ProjectorFacts& facts, std::string_view parameter);

// AVMT's answer of mutes that are known: "31", "11", "21" or "30".
std::string avmtOf(const MuteReading& mute);

namespace checks {

constexpr bool isCatalogueButton(std::string_view button)
{
    return rowIndex(oneShotButtons, &OneShotButton::control, button) < oneShotButtons.size();
}

constexpr bool buttonsAreInTheCatalogue()
{
    for (const Setting& s : settings) {
        if (!isCatalogueButton(s.button))
            return false;
    }
    for (const InputMapping& i : inputs) {
        if (!isCatalogueButton(i.button))
            return false;
    }
    for (const CommandRow& row : commands) {
        for (std::string_view read : row.reads) {
            if (!read.empty() && !isCatalogueButton(read))
                return false;
        }
    }
    return true;
}

constexpr bool keysAreUnique()
{
    for (std::size_t i = 0; i < commands.size(); ++i) {
        for (std::size_t j = i + 1; j < commands.size(); ++j) {
            if (commands[i].body == commands[j].body)
                return false;
        }
    }
    for (std::size_t i = 0; i < settings.size(); ++i) {
        for (std::size_t j = i + 1; j < settings.size(); ++j) {
            if (settings[i].body == settings[j].body && settings[i].parameter == settings[j].parameter)
                return false;
        }
    }
    return inputs.size() == inputModeRows.size();
}

} // namespace checks

static_assert(checks::keysAreUnique(), "one row per PJLink command and per setting, one input per input mode");
static_assert(checks::buttonsAreInTheCatalogue(), "every button pressed or asked is a catalogue button");

} // namespace qm5::pjlink
