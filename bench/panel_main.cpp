// qm5bench-panel PTY [--idle]: the panel exactly as qm5rsc runs it (runPanel
// on QtSerialControl and Qt timers), with port 1 mapped to PTY, reporting its
// first paint.

#include <QApplication>

#include <cstdio>
#include <string>

#include "console/qt_serial_control.hpp"
#include "first_paint.hpp"
#include "qt/panel_app.hpp"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: qm5bench-panel PTY [--idle]\n");
        return 2;
    }
    const std::string path = argv[1];
    QApplication app(argc, argv);
    qm5::bench::FirstPaintReporter reporter(qm5::bench::stayUpRequested(argc, argv));
    app.installEventFilter(&reporter);
    qm5::QtSerialControl comm([path](int port) -> std::string {
        if (port == 1)
            return path;
        return port == 2 ? "/nonexistent/qm5bench-com2" : "";
    });
    return qm5::runPanel(app, comm);
}
