#include "qt/panel_app.hpp"

#include <cstdio>

#include "qt/form1_window.hpp"
#include "qt/qt_timer.hpp"

namespace qm5 {

bool DisplayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void ExplainMissingDisplay(const char* program, const char* command)
{
    std::fprintf(stderr,
                 "%s: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                 "Run it under a virtual X server instead:\n"
                 "    xvfb-run -a %s\n"
                 "or headless with QT_QPA_PLATFORM=offscreen.\n",
                 program, command);
}

int RunPanel(QApplication& app, SerialControl& comm)
{
    QtTimerFactory timers;
    Form1Window window(comm, timers);
    // The load handling centres the full layout and cuts it to the compact
    // view before the window is first shown.
    window.form().Form_Load();
    window.show();
    return app.exec();
}

} // namespace qm5
