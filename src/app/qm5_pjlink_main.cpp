// qm5-pjlink: each projector on the serial line as a PJLink Class 1 device on
// TCP. Runs until SIGINT or SIGTERM; logs to stderr, one line an event.

#include <QCoreApplication>

#include <cstdio>

#include "console/qt_serial_control.hpp"
#include "console/qt_timer.hpp"
#include "console/termination_signals.hpp"
#include "pjlink/gateway.hpp"
#include "pjlink/gateway_options.hpp"

namespace {

void logLine(const std::string& line)
{
    std::fprintf(stderr, "qm5-pjlink: %s\n", line.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("qm5-pjlink");
    QCoreApplication::setApplicationVersion(QM5_VERSION);

    const qm5::pjlink::ParsedOptions options = qm5::pjlink::parseGatewayOptions(QCoreApplication::arguments());
    if (!options.config) {
        std::fputs(options.output.c_str(), stdout);
        if (!options.error.empty())
            logLine(options.error + " (see --help)");
        return options.exitStatus;
    }
    const qm5::pjlink::GatewayConfig& config = *options.config;

    qm5::QtSerialControl serial([device = config.device](int) { return device; });
    serial.setLineSettings(config.lineSettings);
    QObject::connect(&serial, &qm5::QtSerialControl::deviceLost, [&serial](const QString& reason) {
        logLine(serial.devicePath() + " went away (" + reason.toStdString() + "); answering ERR4 until it is back");
    });

    qm5::QtClock clock;
    qm5::pjlink::Gateway gateway(serial, clock, config, logLine);
    // An adapter plugged in later is fine: every request tries the same device again.
    if (const auto error = serial.open())
        logLine(*error + "; answering ERR4 until it opens");
    else
        logLine("serial line " + serial.devicePath() + " at " + config.lineSettings);
    if (const auto error = gateway.listen()) {
        logLine("cannot listen on " + *error);
        return 1;
    }

    if (!qm5::watchTerminationSignals(app, [&app] { app.quit(); })) {
        logLine("cannot watch for signals");
        return 1;
    }
    return QCoreApplication::exec();
}
