#pragma once
// The held buttons: a press sends at once, Timer1 repeats the code while the
// button is down, the release stops it and restores the reply intervals.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "panel/command_catalogue.hpp"

namespace qm5 {

struct HeldButton {
    std::string_view control;
    std::string_view caption;
    std::string_view group;
    std::uint8_t repeatCode;
    std::string_view code;
    // Timer1 interval given by the press; empty for the cursor-pad arrows,
    // which repeat at whatever interval Timer1 was given last.
    std::optional<int> repeatMs;
    // Timer2/Timer4 intervals given by the press; empty for the arrows,
    // which take them from ArrowMode.
    std::optional<ReplyTimers> whileHeld;
    // D.Zoom: the release leaves the arrows at dZoomArrowRepeatMs and ArrowMode 3.
    bool releaseArmsFastArrows = false;

    constexpr bool isArrow() const { return !repeatMs; }
};

inline constexpr ReplyTimers shortHoldTimers{25, 25};
inline constexpr ReplyTimers slowHoldTimers{200, 245};

inline constexpr int dZoomArrowRepeatMs = 5;
inline constexpr std::uint8_t dZoomArrowMode = 3;

inline constexpr std::array<HeldButton, 17> heldButtons{{
    {"Command5", "↑", "cursor pad", 3, "C3C", {}, {}},
    {"Command7", "↓", "cursor pad", 4, "C3D", {}, {}},
    {"Command9", "←", "cursor pad", 5, "C3B", {}, {}},
    {"Command8", "→", "cursor pad", 6, "C3A", {}, {}},
    {"Command15", "+", "Zoom", 7, "C47", 50, shortHoldTimers},
    {"Command35", "-", "Zoom", 8, "C46", 50, shortHoldTimers},
    {"Command36", "+", "Focus", 9, "C4B", 50, shortHoldTimers},
    {"Command37", "-", "Focus", 10, "C4A", 50, shortHoldTimers},
    {"Command6", "SELECT", "cursor pad", 13, "C3F", 500, slowHoldTimers},
    {"Command48", "+", "D.Zoom", 17, "C30", 250, slowHoldTimers, true},
    {"Command49", "-", "D.Zoom", 18, "C31", 250, slowHoldTimers, true},
    {"Command50", "+", "Keystone", 19, "C8E", 250, slowHoldTimers},
    {"Command51", "-", "Keystone", 20, "C8F", 250, slowHoldTimers},
    {"Command59", "↑", "LENS SHIFT", 21, "C5D", 50, shortHoldTimers},
    {"Command62", "↓", "LENS SHIFT", 22, "C5E", 50, shortHoldTimers},
    {"Command60", "←", "LENS SHIFT", 23, "C5F", 50, shortHoldTimers},
    {"Command61", "→", "LENS SHIFT", 24, "C60", 50, shortHoldTimers},
}};

// Reply intervals an arrow press sets in each ArrowMode; none in mode 0.
constexpr std::optional<ReplyTimers> arrowReplyTimers(std::uint8_t arrowMode)
{
    switch (arrowMode) {
    case menuArrowMode:
        return ReplyTimers{150, 190};
    case dZoomArrowMode:
        return ReplyTimers{5, 5};
    default:
        return std::nullopt;
    }
}

constexpr const HeldButton* findHeldButton(std::string_view control)
{
    for (const HeldButton& b : heldButtons) {
        if (b.control == control)
            return &b;
    }
    return nullptr;
}

constexpr const HeldButton* findHeldButtonByRepeatCode(std::uint8_t repeatCode)
{
    for (const HeldButton& b : heldButtons) {
        if (b.repeatCode == repeatCode)
            return &b;
    }
    return nullptr;
}

} // namespace qm5
