#pragma once
// This projector as a PJLink Class 1 device, written once: which button each
// PJLink setting presses, which status queries each PJLink query reads, and
// what their replies mean in PJLink's terms. Buttons are named by control and
// sent with the catalogue's codes; reply keys are the decoders' own
// (protocol/*_table.hpp), checked below to cover each decoding table exactly.
// docs/pjlink.md says the same in prose.

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/find_row.hpp"
#include "layout/control_names.hpp"
#include "link/exchange_queue.hpp"
#include "panel/command_catalogue.hpp"
#include "protocol/decode_table.hpp"
#include "protocol/mode_tables.hpp"
#include "protocol/power_table.hpp"
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
    std::string_view replyKey; // the mode query's reply
};

inline constexpr std::array<InputMapping, 4> inputs{{
    {"11", c::inputMode1, " 1"},
    {"12", c::inputMode2, " 2"},
    {"13", c::inputMode3, " 3"},
    {"14", c::inputMode4, " 4"},
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

// NO SHOW blanks picture and sound together; the single mutes (10, 11, 20,
// 21) have no button and answer ERR2. INPT's settings are the inputs above.
inline constexpr std::array<Setting, 4> settings{{
    {"POWR", "1", c::powerOn, Needs::Steady},
    {"POWR", "0", c::powerOff, Needs::Steady},
    {"AVMT", "31", c::noShowOn, Needs::On},
    {"AVMT", "30", c::noShowOff, Needs::On},
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
};

struct CommandRow {
    std::string_view body;
    Reading reading;
    std::array<std::string_view, 2> reads; // status queries asked, in order; "" for none
    bool settable;
};

inline constexpr std::array<CommandRow, 11> commands{{
    {"POWR", Reading::Power, {c::statusQuery, ""}, true},
    {"INPT", Reading::Input, {c::modeQuery, ""}, true},
    {"AVMT", Reading::Mute, {c::muteQuery, ""}, true},
    {"ERST", Reading::Errors, {c::statusQuery, ""}, false},
    {"LAMP", Reading::Lamps, {c::lampTimeQuery, c::lampModeQuery}, false},
    {"INST", Reading::InputList, {"", ""}, false},
    {"NAME", Reading::Name, {"", ""}, false},
    {"INF1", Reading::Manufacturer, {"", ""}, false},
    {"INF2", Reading::Product, {"", ""}, false},
    {"INFO", Reading::OtherInformation, {"", ""}, false},
    {"CLSS", Reading::Class, {"", ""}, false},
}};

inline constexpr std::string_view manufacturer = "ORVA";
inline constexpr std::string_view product = "QM5";
inline constexpr std::string_view otherInformation = "RS-232C via qm5-pjlink";
inline constexpr std::string_view pjlinkClass = "1";

constexpr const CommandRow* findCommand(std::string_view body)
{
    return findRow(commands, &CommandRow::body, body);
}

// The setting a PJLink set command stands for, INPT's included.
std::optional<Setting> findSetting(std::string_view body, std::string_view parameter);

// What the status query's answer says, nothing when it says nothing known.
std::optional<PowerReading> powerOf(const Outcome& status);

// The answer to a query from the replies to its reads, all of them answered.
std::string answerQuery(const CommandRow& row, std::span<const Outcome> replies, std::string_view name);

namespace checks {

// Indices, not addresses: a constant expression that forms no pointer stays
// one in a sanitized build too.
template <std::size_t n, std::size_t m, typename Row>
constexpr bool coversTable(const std::array<Row, n>& rows, const std::array<DecodeRow, m>& table)
{
    if (n != m)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t found = 0;
        for (const DecodeRow& key : table)
            found += key.key == rows[i].replyKey;
        for (std::size_t j = 0; j < n; ++j)
            found -= i != j && rows[j].replyKey == rows[i].replyKey;
        if (found != 1)
            return false;
    }
    return true;
}

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
    return true;
}

} // namespace checks

static_assert(checks::coversTable(inputs, inputModeRows), "one PJLink input for every input mode");
static_assert(checks::keysAreUnique(), "one row per PJLink command and per setting");
static_assert(checks::buttonsAreInTheCatalogue(), "every button pressed or asked is a catalogue button");

} // namespace qm5::pjlink
