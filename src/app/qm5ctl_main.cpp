// qm5ctl: the panel's commands from a script, a schedule or a monitor.

#include <QCoreApplication>

#include "cli/tool.hpp"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("qm5ctl");
    QCoreApplication::setApplicationVersion(QM5_VERSION);
    return qm5::cli::runTool(app);
}
