// qm5-virtual-projector: projectors on a pseudo-terminal, for running the panel
// without hardware. Prints the device path on the first line of its output.

#include "line.hpp"
#include "path_link.hpp"
#include "pty_endpoint.hpp"
#include "qt/termination_signals.hpp"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

bool parseMs(const QString& text, std::int64_t& out)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < 0)
        return false;
    out = value;
    return true;
}

int usageError(const QString& message)
{
    std::fprintf(stderr, "qm5-virtual-projector: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("qm5-virtual-projector");

    QCommandLineParser parser;
    parser.setApplicationDescription("Virtual projectors on a pseudo-terminal.");
    parser.addHelpOption();
    const QCommandLineOption linkOption("link", "Make PATH a symbolic link to the terminal.", "PATH");
    const QCommandLineOption addressOption(
        "addresses", "Projectors on the line, 1 to 4, comma separated (default 1).", "LIST", "1");
    const QCommandLineOption delayOption("delay", "Reply delay in ms (default 30).", "MS", "30");
    const QCommandLineOption faultOption(
        "fault", "none, silent, slow, split, garbled or flood (default none).", "NAME", "none");
    const QCommandLineOption countDownOption("count-down", "Power-on count down in ms (default 3000).", "MS", "3000");
    const QCommandLineOption coolingOption("cooling", "Cooling after power off in ms (default 5000).", "MS", "5000");
    const QCommandLineOption conditionOption("condition",
        "Warning or failure every projector reports in its power status: none, power-fail, temperature-warning, "
        "no-key-input, lamps-off-by-power-management, lamps-off-with-temperature-warning or all-lamps-failed "
        "(default none).",
        "NAME", "none");
    parser.addOptions(
        {linkOption, addressOption, delayOption, faultOption, countDownOption, coolingOption, conditionOption});
    parser.process(app);

    qm5::sim::LineOptions options;
    if (!parseMs(parser.value(delayOption), options.replyDelayMs))
        return usageError("--delay wants a number of milliseconds");
    if (!parseMs(parser.value(countDownOption), options.timing.countDownMs))
        return usageError("--count-down wants a number of milliseconds");
    if (!parseMs(parser.value(coolingOption), options.timing.coolingMs))
        return usageError("--cooling wants a number of milliseconds");
    const auto fault = qm5::sim::parseFault(parser.value(faultOption).toStdString());
    if (!fault)
        return usageError("unknown fault " + parser.value(faultOption));
    options.fault = *fault;
    const auto condition = qm5::sim::parseCondition(parser.value(conditionOption).toStdString());
    if (!condition)
        return usageError("unknown condition " + parser.value(conditionOption));

    std::vector<int> addresses;
    for (const QString& part : parser.value(addressOption).split(',')) {
        bool ok = false;
        addresses.push_back(part.trimmed().toInt(&ok));
        if (!ok)
            return usageError("--addresses wants numbers 1 to 4, e.g. 1,2");
    }

    std::unique_ptr<qm5::sim::Line> line;
    try {
        line = std::make_unique<qm5::sim::Line>(addresses, options);
    } catch (const std::invalid_argument& e) {
        return usageError(e.what());
    }

    for (const int address : addresses)
        line->projector(address)->setCondition(*condition);

    qm5::sim::PtyEndpoint endpoint(*line);
    std::string error;
    if (!endpoint.open(&error))
        return usageError(QString::fromStdString(error));

    qm5::sim::PathLink link;
    if (parser.isSet(linkOption) && !link.create(endpoint.slavePath(), parser.value(linkOption).toStdString(), &error))
        return usageError(QString::fromStdString(error));

    if (!qm5::watchTerminationSignals(app, [&app] { app.quit(); }))
        return usageError("cannot watch for signals");

    std::printf("%s\n", endpoint.slavePath().c_str());
    std::fflush(stdout);
    return app.exec();
}
