// qm5rsc-demo: the panel wired to a virtual projector on a pseudo-terminal that
// takes the place of port 1. Port 2 leads nowhere, so choosing "COM2" shows
// the warning a missing port gives.

#include <QApplication>

#include <cstdio>

#include "console/qt_serial_control.hpp"
#include "line.hpp"
#include "pty_endpoint.hpp"
#include "qt/panel_app.hpp"

int main(int argc, char** argv)
{
    if (!qm5::displayAvailable(argc, argv)) {
        qm5::explainMissingDisplay("qm5rsc-demo", "scripts/run-demo");
        return 1;
    }
    QApplication app(argc, argv);

    qm5::sim::Line line({1});
    qm5::sim::PtyEndpoint projector(line);
    std::string error;
    if (!projector.open(&error)) {
        std::fprintf(stderr, "qm5rsc-demo: cannot open a pseudo-terminal: %s\n", error.c_str());
        return 1;
    }
    const std::string port1 = projector.slavePath();
    std::printf("qm5rsc-demo: virtual projector (address 001) on %s as COM1\n", port1.c_str());
    std::fflush(stdout);

    qm5::QtSerialControl serial([port1](int port) -> std::string {
        if (port == 1)
            return port1;
        if (port == 2)
            return "/dev/qm5rsc-demo-com2";
        return {};
    });
    return qm5::runPanel(app, serial);
}
