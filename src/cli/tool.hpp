#pragma once
#include <QCoreApplication>

namespace qm5::cli {

// qm5ctl: reads the command line, opens the line, runs the commands and
// returns the exit status.
int runTool(QCoreApplication& app);

} // namespace qm5::cli
