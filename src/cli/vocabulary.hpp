#pragma once
// The words a technician types for the panel's buttons. A row names a button
// by its control; the code it sends and the reply window it waits come from
// the catalogue and the repeat table, so nothing here can drift from the
// panel.

#include <array>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "layout/control_names.hpp"

namespace qm5::cli {

struct CommandName {
    std::string_view name;
    std::string_view argument; // empty for a command that takes none
    controls::Name control;
};

namespace c = controls;

// clang-format off
inline constexpr std::array<CommandName, 59> commandNames{{
    {"power", "on", c::powerOn},             {"power", "off", c::powerOff},
    {"input", "1", c::inputMode1},           {"input", "2", c::inputMode2},
    {"input", "3", c::inputMode3},           {"input", "4", c::inputMode4},
    {"no-show", "on", c::noShowOn},          {"no-show", "off", c::noShowOff},
    {"freeze", "on", c::freezeOn},           {"freeze", "off", c::freezeOff},
    {"menu", "on", c::menuOn},               {"menu", "off", c::menuOff},
    {"menu", "up", c::cursorUp},             {"menu", "down", c::cursorDown},
    {"menu", "left", c::cursorLeft},         {"menu", "right", c::cursorRight},
    {"menu", "select", c::cursorSelect},
    {"size", "regular", c::sizeRegular},     {"size", "wide", c::sizeWide},
    {"picture", "stand", c::pictureStand},   {"picture", "real", c::pictureReal},
    {"picture", "cinema", c::pictureCinema}, {"picture", "image1", c::pictureImage1},
    {"picture", "image2", c::pictureImage2}, {"picture", "image3", c::pictureImage3},
    {"picture", "image4", c::pictureImage4},
    {"lamps", "4", c::fourLamps},            {"lamps", "1-4", c::lamps1And4},
    {"lamps", "2-3", c::lamps2And3},
    {"fan", "max", c::fanMax},               {"fan", "normal", c::fanNormal},
    {"zoom", "+", c::zoomPlus},              {"zoom", "-", c::zoomMinus},
    {"focus", "+", c::focusPlus},            {"focus", "-", c::focusMinus},
    {"digital-zoom", "+", c::digitalZoomPlus}, {"digital-zoom", "-", c::digitalZoomMinus},
    {"keystone", "+", c::keystonePlus},      {"keystone", "-", c::keystoneMinus},
    {"shift", "up", c::shiftUp},             {"shift", "down", c::shiftDown},
    {"shift", "left", c::shiftLeft},         {"shift", "right", c::shiftRight},
    {"a-pc-adjust", "", c::autoPcAdjust},    {"image", "", c::imageKey},
    {"p-timer", "", c::pictureTimer},        {"display-clear", "", c::displayClear},
    // Queries
    {"status", "", c::statusQuery},          {"mode", "", c::modeQuery},
    {"setting", "", c::orientationQuery},        {"setting2", "", c::muteQuery},
    {"lamp-mode", "", c::lampModeQuery},     {"lamp-hours", "", c::lampTimeQuery},
    {"temperature", "", c::temperatureQuery}, {"pc-type", "", c::pcTypeQuery},
    {"pressure", "", c::pressureQuery},      {"p-fail", "", c::powerFailQuery},
    // Plain names for the queries whose captions say little.
    {"orientation", "", c::orientationQuery}, {"mute-status", "", c::muteQuery},
}};
// clang-format on

// The input matrix is named "matrix ROW SOURCE": the row is the projector's
// input, the source the button's caption in lower case ("dvi", "s-video").
inline constexpr std::string_view matrixName = "matrix";
// Any command text, framed as the panel's free-text line frames it.
inline constexpr std::string_view rawName = "raw";

// One command ready to go: what the user called it, the command text and
// the reply window the panel gives it.
struct Step {
    std::string name;
    std::string command;
    int replyWindowMs = 0;
};

struct UsageError {
    std::string message;
};

// Reads the words of the command line into steps; nothing is half-read: a
// single bad word makes the whole list a usage error.
std::variant<std::vector<Step>, UsageError> readCommands(const std::vector<std::string>& words);

// The names and their arguments for --help: "power on|off", "status",
// "matrix ROW SOURCE"...
std::vector<std::string> commandSummary();
// "dvi, rgb, ... or sdi"
std::string matrixSourceNames();

// Every command the tool knows, raw excepted, in the order of the list above,
// then the matrix row by row.
std::vector<Step> everyCommand();

} // namespace qm5::cli
