#include "panel/hold_to_repeat.hpp"

namespace qm5 {

HoldToRepeat::HoldToRepeat(Exchange& exchange, Clock& clock)
    : exchange_(exchange)
    , repeatTimer_(clock.timer(startRepeatMs, [this] { repeat(); }))
{ }

bool HoldToRepeat::press(std::string_view control)
{
    const HeldButton* button = findHeldButton(control);
    if (!button)
        return false;
    if (button->isArrow()) {
        if (const auto times = arrowReplyTimes(arrowContext_))
            exchange_.setReplyTimes(*times);
        held_ = button;
        exchange_.send(button->code);
    } else {
        held_ = button;
        exchange_.send(button->code);
        // The send has just started the reply and clear timers; the new
        // intervals restart both from the press.
        repeatTimer_->setInterval(*button->repeatMs);
        exchange_.setReplyTimes(*button->whileHeld);
    }
    repeatTimer_->start();
    return true;
}

bool HoldToRepeat::release(std::string_view control)
{
    const HeldButton* button = findHeldButton(control);
    if (!button)
        return false;
    held_ = nullptr;
    repeatTimer_->stop();
    exchange_.endHold();
    if (button->releaseArmsFastArrows) {
        repeatTimer_->setInterval(digitalZoomArrowRepeatMs);
        arrowContext_ = ArrowContext::DigitalZoom;
    }
    return true;
}

void HoldToRepeat::prepareMenuArrows()
{
    // Only sets the pace for later arrow holds; nothing starts repeating.
    repeatTimer_->setInterval(menuArrowRepeatMs);
    arrowContext_ = ArrowContext::Menu;
}

void HoldToRepeat::stop()
{
    held_ = nullptr;
    repeatTimer_->stop();
}

void HoldToRepeat::repeat()
{
    if (!held_)
        return;
    // A tick that comes before the line has carried the last frame is
    // skipped, so frames never pile up behind a slow line and the adjustment
    // stops when the button is let go. Presses and clicks are never held back.
    if (!exchange_.lineIsFree(repeatTimer_->interval()))
        return;
    // Built afresh at every tick, so an address change during the hold applies.
    exchange_.send(held_->code);
}

} // namespace qm5
