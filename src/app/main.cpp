// qm5rsc: the control panel on the machine's serial ports.

#include <QApplication>

#include "console/qt_serial_control.hpp"
#include "qt/panel_app.hpp"

int main(int argc, char** argv)
{
    if (!qm5::displayAvailable(argc, argv)) {
        qm5::explainMissingDisplay("qm5rsc", "build/bin/qm5rsc");
        return 1;
    }
    QApplication app(argc, argv);
    qm5::QtSerialControl serial;
    return qm5::runPanel(app, serial);
}
