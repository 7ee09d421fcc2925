#pragma once
// The held buttons: a press sends at once, the repeat timer sends the code
// again while the button is down, the release stops it and restores the
// reply times.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "panel/command_catalogue.hpp"
#include "window/control_names.hpp"

namespace qm5 {

// Which held button is down; None when no button is.
enum class RepeatCode : std::uint8_t {
    None = 0,
    CursorUp = 3,
    CursorDown = 4,
    CursorLeft = 5,
    CursorRight = 6,
    ZoomPlus = 7,
    ZoomMinus = 8,
    FocusPlus = 9,
    FocusMinus = 10,
    CursorSelect = 13,
    DigitalZoomPlus = 17,
    DigitalZoomMinus = 18,
    KeystonePlus = 19,
    KeystoneMinus = 20,
    ShiftUp = 21,
    ShiftDown = 22,
    ShiftLeft = 23,
    ShiftRight = 24,
};

// What the cursor-pad arrows were last prepared for: it sets the reply
// times of an arrow press. Their repeat is whatever the repeat timer was
// last given.
enum class ArrowContext : std::uint8_t {
    AtStart = 0,     // reply times left as they are
    Menu = 1,        // MENU "ON" or "A-PC ADJ": 150 / 190 ms
    DigitalZoom = 3, // after a D.Zoom release: 5 / 5 ms
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
    RepeatCode repeatCode;
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
    {controls::cursorUp, RepeatCode::CursorUp, "C3C", {}, {}},
    {controls::cursorDown, RepeatCode::CursorDown, "C3D", {}, {}},
    {controls::cursorLeft, RepeatCode::CursorLeft, "C3B", {}, {}},
    {controls::cursorRight, RepeatCode::CursorRight, "C3A", {}, {}},
    {controls::zoomPlus, RepeatCode::ZoomPlus, "C47", 50, shortHoldTimes},
    {controls::zoomMinus, RepeatCode::ZoomMinus, "C46", 50, shortHoldTimes},
    {controls::focusPlus, RepeatCode::FocusPlus, "C4B", 50, shortHoldTimes},
    {controls::focusMinus, RepeatCode::FocusMinus, "C4A", 50, shortHoldTimes},
    {controls::cursorSelect, RepeatCode::CursorSelect, "C3F", 500, slowHoldTimes},
    {controls::digitalZoomPlus, RepeatCode::DigitalZoomPlus, "C30", 250, slowHoldTimes, true},
    {controls::digitalZoomMinus, RepeatCode::DigitalZoomMinus, "C31", 250, slowHoldTimes, true},
    {controls::keystonePlus, RepeatCode::KeystonePlus, "C8E", 250, slowHoldTimes},
    {controls::keystoneMinus, RepeatCode::KeystoneMinus, "C8F", 250, slowHoldTimes},
    {controls::shiftUp, RepeatCode::ShiftUp, "C5D", 50, shortHoldTimes},
    {controls::shiftDown, RepeatCode::ShiftDown, "C5E", 50, shortHoldTimes},
    {controls::shiftLeft, RepeatCode::ShiftLeft, "C5F", 50, shortHoldTimes},
    {controls::shiftRight, RepeatCode::ShiftRight, "C60", 50, shortHoldTimes},
}};

constexpr const HeldButton* findHeldButton(std::string_view control)
{
    for (const HeldButton& b : heldButtons) {
        if (b.control == control)
            return &b;
    }
    return nullptr;
}

constexpr const HeldButton* findHeldButton(RepeatCode code)
{
    for (const HeldButton& b : heldButtons) {
        if (b.repeatCode == code)
            return &b;
    }
    return nullptr;
}

} // namespace qm5
