#include "qt/panel_app.hpp"

#include <cstdio>

#include "console/qt_timer.hpp"
#include "qt/panel_window.hpp"

namespace qm5 {

bool displayAvailable(int argc, char** argv)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    // An X11 or Wayland desktop names its display; without one Qt would
    // abort with a message about plugins that helps nobody.
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            return true;
    }
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    // Windows and macOS always have their own platform.
    (void)argc;
    (void)argv;
    return true;
#endif
}

void explainMissingDisplay(const char* program, const char* command)
{
    std::fprintf(stderr,
        "%s: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
        "Run it under a virtual X server instead:\n"
        "    xvfb-run -a %s\n"
        "or headless with QT_QPA_PLATFORM=offscreen.\n",
        program, command);
}

int runPanel(QApplication& app, SerialControl& serial)
{
    QtClock clock;
    PanelWindow window(serial, clock);
    // Loading centres the full layout and cuts it to the compact view
    // before the window is first shown.
    window.panel().load();
    window.show();
    return app.exec();
}

} // namespace qm5
