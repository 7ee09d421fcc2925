#pragma once
// SIGINT and SIGTERM turned into a call on the Qt event loop, so a console
// program ends through its own code (closing its port, removing its link,
// printing the result in flight) rather than in the middle of it.

#include <QCoreApplication>

#include <functional>

namespace qm5 {

// Calls onSignal on app's thread for every SIGINT or SIGTERM; false when the
// signals cannot be watched.
bool watchTerminationSignals(QCoreApplication& app, std::function<void()> onSignal);

} // namespace qm5
