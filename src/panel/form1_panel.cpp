// The command panel: one-shot buttons, hold-to-repeat, SEND, CLS and COM.

#include "core/form1.hpp"
#include "panel/command_catalogue.hpp"
#include "panel/repeat_table.hpp"

namespace qm5 {

bool Form1::Command_Click(std::string_view control)
{
    const OneShotButton* button = findOneShotButton(control);
    if (!button)
        return false;
    if (button->timers) {
        Timer2->setInterval(button->timers->timer2);
        Timer4->setInterval(button->timers->timer4);
    }
    sendCommand(button->code);
    if (button->armsMenuArrows) {
        // Only sets the pace for later arrow holds; nothing starts repeating.
        Timer1->setInterval(menuArrowRepeatMs);
        ArrowMode = menuArrowMode;
    }
    return true;
}

bool Form1::Command_MouseDown(std::string_view control)
{
    const HeldButton* button = findHeldButton(control);
    if (!button)
        return false;

    if (button->isArrow()) {
        if (const auto timers = arrowReplyTimers(ArrowMode)) {
            Timer2->setInterval(timers->timer2);
            Timer4->setInterval(timers->timer4);
        }
        RepeatCode = button->repeatCode;
        sendCommand(button->code);
    } else {
        RepeatCode = button->repeatCode;
        sendCommand(button->code);
        // Hyouji has just started Timer2 and Timer4; the new intervals
        // restart both from the press.
        Timer1->setInterval(*button->repeatMs);
        Timer2->setInterval(button->whileHeld->timer2);
        Timer4->setInterval(button->whileHeld->timer4);
    }
    Timer1->start();
    return true;
}

bool Form1::Command_MouseUp(std::string_view control)
{
    const HeldButton* button = findHeldButton(control);
    if (!button)
        return false;
    // Any release ends the hold, also one the window sends on its own when
    // it loses activation while a button is down.
    endHold();
    if (button->releaseArmsFastArrows) {
        Timer1->setInterval(dZoomArrowRepeatMs);
        ArrowMode = dZoomArrowMode;
    }
    return true;
}

void Form1::endHold()
{
    RepeatCode = 0;
    Timer1->stop();
    // The last frame's reply window is dropped: no missing-reply mark.
    Timer2->stop();
    Timer4->start();
    display_.setCaption("Label11", "");
    display_.setCaption("Label12", "");
    Timer2->setInterval(startReplyTimers.timer2);
    Timer4->setInterval(startReplyTimers.timer4);
    clearRxBuffer();
}

void Form1::Timer1_Timer()
{
    if (RepeatCode == 0)
        return;
    // A tick that comes before the line has carried the last frame is
    // skipped, so frames never pile up behind a slow line and the adjustment
    // stops when the button is let go. Presses and clicks are never held back.
    if (!lineIsFree())
        return;
    // The frame is built afresh so an address change during the hold applies.
    if (const HeldButton* button = findHeldButtonByRepeatCode(RepeatCode))
        sendCommand(button->code);
}

void Form1::Command95_Click()
{
    Timer2->setInterval(longReplyTimers.timer2);
    Timer4->setInterval(longReplyTimers.timer4);
    // Sent as typed: no trimming, no case change, an empty line included.
    sendCommand(display_.text("Text1"));
}

void Form1::Command96_Click()
{
    display_.setText("Text1", "");
}

void Form1::Command33_Click()
{
    display_.setVisible("Frame8", true);
    // A second click restarts the count, so the panel stays its full time.
    Timer3->start();
}

} // namespace qm5
