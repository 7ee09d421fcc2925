#pragma once
// The held buttons: a press sends at once, the repeat timer sends the code
// again while the button is down, the release stops it and restores the
// reply times.

#include <array>
#include <optional>
#include <string_view>

#include "core/find_row.hpp"
#include "layout/control_names.hpp"
#include "panel/command_catalogue.hpp"

namespace qm5 {

// What the cursor-pad arrows were last prepared for: it sets the reply
// times of an arrow press. Their repeat is whatever the repeat timer was
// last given.
enum class ArrowContext {
    AtStart,     // reply times left as they are
    Menu,        // MENU "ON" or "A-PC ADJ": 150 / 190 ms
    DigitalZoom, // after a D.Zoom release: 5 / 5 ms
};

inline constexpr int startRepeatMs = 200;
// MENU "ON" and "A-PC ADJ" give the arrows this repeat.
inline constexpr int menuArrowRepeatMs = 200;
// A D.Zoom release gives the arrows this repeat.
inline constexpr int digitalZoomArrowRepeatMs = 5;

constexpr std::optional<ReplyTimes> arrowReplyTimes(ArrowContext context)
{
    switch (context) {
    case ArrowContext::Menu:
        return ReplyTimes{150, 190};
    case ArrowContext::DigitalZoom:
        return ReplyTimes{5, 5};
    case ArrowContext::AtStart:
        break;
    }
    return std::nullopt;
}

struct HeldButton {
    std::string_view control;
    std::string_view code;
    // Repeat given by the press; none for the cursor-pad arrows.
    std::optional<int> repeatMs;
    // Reply times given by the press; none for the arrows, which take them
    // from the arrow context.
    std::optional<ReplyTimes> whileHeld;
    // D.Zoom: the release leaves the arrows fast, in the D.Zoom context.
    bool releaseArmsFastArrows = false;

    constexpr bool isArrow() const { return !repeatMs; }
};

inline constexpr ReplyTimes shortHoldTimes{25, 25};
inline constexpr ReplyTimes slowHoldTimes{200, 245};

inline constexpr std::array<HeldButton, 17> heldButtons{{
    {controls::cursorUp, "C3C", {}, {}},
    {controls::cursorDown, "C3D", {}, {}},
    {controls::cursorLeft, "C3B", {}, {}},
    {controls::cursorRight, "C3A", {}, {}},
    {controls::zoomPlus, "C47", 50, shortHoldTimes},
    {controls::zoomMinus, "C46", 50, shortHoldTimes},
    {controls::focusPlus, "C4B", 50, shortHoldTimes},
    {controls::focusMinus, "C4A", 50, shortHoldTimes},
    {controls::cursorSelect, "C3F", 500, slowHoldTimes},
    {controls::digitalZoomPlus, "C30", 250, slowHoldTimes, true},
    {controls::digitalZoomMinus, "C31", 250, slowHoldTimes, true},
    {controls::keystonePlus, "C8E", 250, slowHoldTimes},
    {controls::keystoneMinus, "C8F", 250, slowHoldTimes},
    {controls::shiftUp, "C5D", 50, shortHoldTimes},
    {controls::shiftDown, "C5E", 50, shortHoldTimes},
    {controls::shiftLeft, "C5F", 50, shortHoldTimes},
    {controls::shiftRight, "C60", 50, shortHoldTimes},
}};

constexpr const HeldButton* findHeldButton(std::string_view control)
{
    return findRow(heldButtons, &HeldButton::control, control);
}

} // namespace qm5
