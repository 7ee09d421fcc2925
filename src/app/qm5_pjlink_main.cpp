// qm5-pjlink: each projector on the serial line as a PJLink Class 1 device on
// TCP. Runs until SIGINT or SIGTERM; logs to stderr, one line an event.

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

#include "link/port_map.hpp"
#include "pjlink/gateway.hpp"
#include "pjlink/gateway_options.hpp"
#include "qt/qt_serial_control.hpp"
#include "qt/qt_timer.hpp"

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto ignored = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so the port is closed on the way out.
bool quitOnSignals(QCoreApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return false;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte;
        [[maybe_unused]] const auto ignored = ::read(signalPipe[0], &byte, 1);
        app.quit();
    });
    struct sigaction action { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    return true;
}

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

    const std::string device = config.device;
    qm5::QtSerialControl serial(device.empty() ? qm5::PortMap([](int port) { return qm5::devicePathForPort(port); })
                                               : qm5::PortMap([device](int) { return device; }));
    if (const auto error = serial.setPortNumber(config.portNumber)) {
        logLine(*error);
        return qm5::pjlink::usageErrorStatus;
    }
    serial.setLineSettings(config.lineSettings);
    QObject::connect(&serial, &qm5::QtSerialControl::deviceLost, [&serial](const QString& reason) {
        logLine(serial.devicePath() + " went away (" + reason.toStdString() + "); answering ERR4 until it is back");
    });

    qm5::QtClock clock;
    qm5::pjlink::Gateway gateway(serial, clock, config, logLine);
    if (const auto error = gateway.listen()) {
        logLine("cannot listen on " + *error);
        return 1;
    }
    // An adapter plugged in later is fine: every request tries the same device again.
    if (const auto error = serial.open())
        logLine(*error + "; answering ERR4 until it opens");
    else
        logLine("serial line " + serial.devicePath() + " at " + config.lineSettings);

    if (!quitOnSignals(app)) {
        logLine("cannot watch for signals");
        return 1;
    }
    return QCoreApplication::exec();
}
