#pragma once
// What every panel executable does once it has a serial control: build the
// window on Qt timers, run the load handling, show it and run the loop.

#include <QApplication>

#include "core/serial_control.hpp"

namespace qm5 {

// False on an X11/Wayland system when no window can be shown (no display and
// no Qt platform chosen); the caller then explains instead of failing
// obscurely. Always true where the platform needs no such setting.
bool displayAvailable(int argc, char** argv);
void explainMissingDisplay(const char* program, const char* command);

int runPanel(QApplication& app, SerialControl& serial);

} // namespace qm5
