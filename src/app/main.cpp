// qm5rsc: the control panel on the machine's serial ports.

#include <QApplication>

#include "qt/panel_app.hpp"
#include "qt/qt_serial_control.hpp"

int main(int argc, char** argv)
{
    if (!qm5::DisplayAvailable(argc, argv)) {
        qm5::ExplainMissingDisplay("qm5rsc", "build/bin/qm5rsc");
        return 1;
    }
    QApplication app(argc, argv);
    qm5::QtSerialControl comm;
    return qm5::RunPanel(app, comm);
}
