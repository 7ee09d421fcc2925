// qm5-virtual-projector: projectors on a pseudo-terminal, for running the panel
// without hardware. Prints the device path on the first line of its output.

#include "console/termination_signals.hpp"
#include "line.hpp"
#include "path_link.hpp"
#include "pty_endpoint.hpp"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
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

// What the command line asks for.
struct Setup {
    qm5::sim::LineOptions options;
    qm5::sim::Condition condition = qm5::sim::Condition::None;
    std::vector<int> addresses;
    QString link;
};

struct Options {
    QCommandLineOption link{"link", "Make PATH a symbolic link to the terminal.", "PATH"};
    QCommandLineOption addresses{
        "addresses", "Projectors on the line, 1 to 4, comma separated (default 1).", "LIST", "1"};
    QCommandLineOption delay{"delay", "Reply delay in ms (default 30).", "MS", "30"};
    QCommandLineOption fault{"fault", "none, silent, slow, split, garbled or flood (default none).", "NAME", "none"};
    QCommandLineOption countDown{"count-down", "Power-on count down in ms (default 3000).", "MS", "3000"};
    QCommandLineOption cooling{"cooling", "Cooling after power off in ms (default 5000).", "MS", "5000"};
    QCommandLineOption wire{"wire",
        "Carry frames and replies at this many baud, as a real line does (default: at "
        "once).",
        "BAUD", "0"};
    QCommandLineOption condition{"condition",
        "Warning or failure every projector reports in its power status: none, power-fail, temperature-warning, "
        "no-key-input, lamps-off-by-power-management, lamps-off-with-temperature-warning or all-lamps-failed; "
        "or no-signal, where the mute query answers \"No signal\" while it is on, or sound-muted, where it "
        "answers \"Audio mute ON\" (default none).",
        "NAME", "none"};
};

// The setup the parsed options give, or what is wrong with them.
std::variant<Setup, QString> readSetup(const QCommandLineParser& parser, const Options& o)
{
    Setup setup;
    if (!parseMs(parser.value(o.delay), setup.options.replyDelayMs))
        return QString("--delay wants a number of milliseconds");
    if (!parseMs(parser.value(o.countDown), setup.options.timing.countDownMs))
        return QString("--count-down wants a number of milliseconds");
    if (!parseMs(parser.value(o.cooling), setup.options.timing.coolingMs))
        return QString("--cooling wants a number of milliseconds");
    const auto fault = qm5::sim::parseFault(parser.value(o.fault).toStdString());
    if (!fault)
        return "unknown fault " + parser.value(o.fault);
    setup.options.fault = *fault;
    const auto condition = qm5::sim::parseCondition(parser.value(o.condition).toStdString());
    if (!condition)
        return "unknown condition " + parser.value(o.condition);
    setup.condition = *condition;
    for (const QString& part : parser.value(o.addresses).split(',')) {
        bool ok = false;
        setup.addresses.push_back(part.trimmed().toInt(&ok));
        if (!ok)
            return QString("--addresses wants numbers 1 to 4, e.g. 1,2");
    }
    setup.link = parser.value(o.link);
    bool ok = false;
    setup.options.wireBaud = parser.value(o.wire).toLong(&ok);
    if (!ok || setup.options.wireBaud < 0)
        return QString("--wire wants a speed in baud, e.g. 9600");
    return setup;
}

int usageError(const QString& message)
{
    std::fprintf(stderr, "qm5-virtual-projector: %s\n", qPrintable(message));
    return 2;
}

// Runs the projectors until SIGINT or SIGTERM.
int serve(QCoreApplication& app, const Setup& setup)
{
    std::unique_ptr<qm5::sim::Line> line;
    try {
        line = std::make_unique<qm5::sim::Line>(setup.addresses, setup.options);
    } catch (const std::invalid_argument& e) {
        return usageError(e.what());
    }
    for (const int address : setup.addresses)
        line->projector(address)->setCondition(setup.condition);

    qm5::sim::PtyEndpoint endpoint(*line);
    std::string error;
    if (!endpoint.open(&error))
        return usageError(QString::fromStdString(error));
    qm5::sim::PathLink link;
    if (!setup.link.isEmpty() && !link.create(endpoint.slavePath(), setup.link.toStdString(), &error))
        return usageError(QString::fromStdString(error));
    if (!qm5::watchTerminationSignals(app, [&app] { app.quit(); }))
        return usageError("cannot watch for signals");

    std::printf("%s\n", endpoint.slavePath().c_str());
    std::fflush(stdout);
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("qm5-virtual-projector");

    QCommandLineParser parser;
    parser.setApplicationDescription("Virtual projectors on a pseudo-terminal.");
    parser.addHelpOption();
    const Options options;
    parser.addOptions({options.link, options.addresses, options.delay, options.fault, options.countDown,
        options.cooling, options.condition, options.wire});
    parser.process(app);

    const auto setup = readSetup(parser, options);
    if (const auto* error = std::get_if<QString>(&setup))
        return usageError(*error);
    return serve(app, std::get<Setup>(setup));
}
