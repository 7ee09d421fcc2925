#pragma once
// Hold-to-repeat: a held button sends its command at the press and again at
// every tick of the repeat timer until it is released. Only one button is
// held at a time.

#include <memory>
#include <string_view>

#include "core/timer.hpp"
#include "link/exchange.hpp"
#include "panel/repeat_table.hpp"

namespace qm5 {

class HoldToRepeat {
public:
    HoldToRepeat(Exchange& exchange, Clock& clock);

    // False when the control is no held button.
    bool press(std::string_view control);
    bool release(std::string_view control);
    // MENU "ON" and "A-PC ADJ": later arrow holds take the menu's pace.
    void prepareMenuArrows();
    // Forgets the hold without a release (the program is ending).
    void stop();

    // The row of the button held down, nullptr when none is.
    const HeldButton* held() const { return held_; }
    ArrowContext arrowContext() const { return arrowContext_; }
    Timer& repeatTimer() { return *repeatTimer_; }

private:
    void repeat();

    Exchange& exchange_;
    std::unique_ptr<Timer> repeatTimer_;
    const HeldButton* held_ = nullptr;
    ArrowContext arrowContext_ = ArrowContext::AtStart;
};

} // namespace qm5
