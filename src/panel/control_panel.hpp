#pragma once
// The panel's logic, free of any toolkit: the exchange engine, hold-to-repeat
// and the views, with start-up, the one-shot buttons, the free-text line, the
// link's options and END. The Qt window forwards its events here by control
// name and implements Display; QTimer and QSerialPort sit behind Clock and
// SerialControl.

#include <string_view>

#include "core/display.hpp"
#include "core/serial_control.hpp"
#include "core/timer.hpp"
#include "link/exchange.hpp"
#include "panel/hold_to_repeat.hpp"
#include "panel/views.hpp"

namespace qm5 {

class ControlPanel {
public:
    ControlPanel(Display& display, SerialControl& serial, Clock& clock);

    // Start-up: start values, the compact view, port 1 opened at the start
    // settings and "COM1" chosen.
    void load();

    // A click on any button; false when the control has no click action
    // (the held buttons have none: they act on press and release).
    bool clicked(std::string_view control);
    bool pressed(std::string_view control);
    bool released(std::string_view control);
    // An option becoming checked, by the user or by start-up.
    bool optionChosen(std::string_view option);
    void keyPressed(int key, int modifiers) { views_.keyPressed(key, modifiers); }
    void logoDoubleClicked() { views_.logoDoubleClicked(); }

    // The buttons with a handler of their own.
    void endClicked();
    void sendClicked();
    void clearTextClicked();
    void comClicked() { views_.showPortPanel(); }
    void dataButtonClicked() { views_.dataButtonClicked(); }

    Exchange& exchange() { return exchange_; }
    HoldToRepeat& holds() { return holds_; }
    Views& views() { return views_; }

private:
    void oneShotClicked(std::string_view control);
    void selectPort(int chosen, int fallback);

    Display& display_;
    SerialControl& serial_;
    Exchange exchange_;
    HoldToRepeat holds_;
    Views views_;
};

} // namespace qm5
