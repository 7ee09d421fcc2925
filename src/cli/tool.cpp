#include "cli/tool.hpp"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "cli/command_runner.hpp"
#include "console/line_options.hpp"
#include "console/qt_serial_control.hpp"
#include "console/qt_timer.hpp"
#include "console/termination_signals.hpp"

namespace qm5::cli {

namespace {

// Shortest and longest pause between rounds that --every takes.
constexpr double minEverySeconds = 0.1;
constexpr double maxEverySeconds = 7 * 24 * 3600;
// How long the last frame may take to leave before the port is closed.
constexpr int drainMs = 2000;

constexpr std::size_t helpWidth = 78;

// The summary of the commands is made from the names themselves, so it
// cannot fall behind them.
QString describe()
{
    std::string text = "Sends the control panel's commands to the projector on a serial line and\n"
                       "prints one line for each: the decoded status, ACK, the reply, or what went\n"
                       "wrong. 'qm5ctl list' shows every command with the code it sends; 'raw TEXT'\n"
                       "sends any command text as the panel's CMD line does.\n\nCommands:\n";
    const std::vector<std::string> entries = commandSummary();
    std::string line = " ";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string entry = " " + entries[i] + (i + 1 < entries.size() ? "," : "");
        if (line.size() > 1 && line.size() + entry.size() > helpWidth) {
            text += line + "\n";
            line = " ";
        }
        line += entry;
    }
    text += line + "\n  (ROW 1 to 4; SOURCE " + matrixSourceNames() + ")\n";
    text += "\nExit status: 0 every command answered (or sent to all), 1 a reply missing or\n"
            "refused, 2 a usage error (nothing sent), 3 the line could not be opened.";
    return QString::fromStdString(text);
}

void printLine(std::FILE* stream, const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    // A log file or a pipe gets every line as it happens.
    std::fflush(stream);
}

int usage(const std::string& message)
{
    printLine(stderr, "qm5ctl: " + message);
    return usageError;
}

void printList()
{
    // Free text waits as long as the panel's SEND gives it.
    std::vector<Step> all = everyCommand();
    all.push_back(std::get<std::vector<Step>>(readCommands({"raw", "TEXT"})).front());
    for (const Step& step : all) {
        char line[96];
        std::snprintf(
            line, sizeof line, "%-20s %-18s %5d ms", step.name.c_str(), step.command.c_str(), step.replyWindowMs);
        printLine(stdout, line);
    }
}

// A positive number of seconds, within bounds, in milliseconds.
std::optional<int> readEvery(const QString& text)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < minEverySeconds || seconds > maxEverySeconds)
        return std::nullopt;
    return static_cast<int>(std::lround(seconds * 1000));
}

struct Choices {
    SerialLine line;
    Address address;
    std::optional<int> everyMs;
    bool json = false;
    std::vector<Step> steps; // none: print the list
};

// The options other than the line's and the commands after them.
std::variant<Choices, UsageError> readRest(
    const QCommandLineParser& parser, const QCommandLineOption& json, const QCommandLineOption& every, Choices choices)
{
    if (parser.isSet(every)) {
        choices.everyMs = readEvery(parser.value(every));
        if (!choices.everyMs)
            return UsageError{"--every wants a number of seconds from 0.1 up, e.g. --every 60"};
    }
    choices.json = parser.isSet(json);

    std::vector<std::string> words;
    for (const QString& word : parser.positionalArguments())
        words.push_back(word.toStdString());
    if (std::find(words.begin(), words.end(), "list") != words.end()) {
        if (words.size() > 1)
            return UsageError{"'list' stands alone: qm5ctl list"};
        return choices;
    }
    auto steps = readCommands(words);
    if (auto* error = std::get_if<UsageError>(&steps))
        return *error;
    choices.steps = std::get<std::vector<Step>>(std::move(steps));
    return choices;
}

// Everything the command line asks for, or a usage error; reads no device.
std::variant<Choices, UsageError> readCommandLine(QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(describe());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const LineOptions lineOptions;
    lineOptions.addTo(parser);
    const QCommandLineOption json("json", "One JSON object per line instead of plain text.");
    const QCommandLineOption every("every", "Run the commands again every SECONDS until stopped.", "SECONDS");
    parser.addOptions({lineOptions.address, json, every});
    parser.addPositionalArgument(
        "command", "Commands and their arguments, run in order.", "COMMAND [ARG] [COMMAND [ARG]...]");

    if (!parser.parse(app.arguments())) {
        std::string error = parser.errorText().toStdString();
        if (error.ends_with('.'))
            error.pop_back();
        return UsageError{error + "; see 'qm5ctl --help'"};
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();

    Choices choices;
    auto line = lineOptions.read(parser);
    if (auto* error = std::get_if<OptionError>(&line))
        return UsageError{error->message};
    choices.line = std::get<SerialLine>(std::move(line));
    auto address = lineOptions.readAddress(parser);
    if (auto* error = std::get_if<OptionError>(&address))
        return UsageError{error->message};
    choices.address = std::get<Address>(std::move(address));
    return readRest(parser, json, every, std::move(choices));
}

// Ends the event loop once the last frame has left, or has had drainMs to:
// a frame to all is reported as soon as it is written, not when it is on
// the wire.
void exitWhenSent(QCoreApplication& app, const QtSerialControl& serial)
{
    auto draining = std::make_shared<QElapsedTimer>();
    draining->start();
    auto check = std::make_shared<std::function<void()>>();
    *check = [&app, &serial, draining, weak = std::weak_ptr(check)] {
        if (serial.unsentBytes() == 0 || draining->hasExpired(drainMs))
            return app.exit();
        if (auto again = weak.lock())
            QTimer::singleShot(1, &app, [again] { (*again)(); });
    };
    QTimer::singleShot(0, &app, [check] { (*check)(); });
}

// The first signal lets the command in flight have its outcome and sends
// nothing after it; a second one does not wait for it.
void stopOnSignals(QCoreApplication& app, CommandRunner& runner)
{
    auto signalsSeen = std::make_shared<int>(0);
    const bool watching = watchTerminationSignals(app, [&app, &runner, signalsSeen] {
        if (++*signalsSeen == 1)
            return runner.stop();
        if (const Step* step = runner.inFlight()) {
            printLine(stderr, "qm5ctl: interrupted while '" + step->name + "' waited for its reply");
            app.exit();
        }
    });
    if (!watching)
        printLine(stderr, "qm5ctl: cannot watch for signals; Ctrl+C ends at once");
}

// Runs the commands on an open line until they are done or stopped.
int runCommands(QCoreApplication& app, QtSerialControl& serial, const Choices& choices)
{
    QtClock clock;
    ExchangeQueue queue(serial, clock);
    CommandRunner runner(queue, clock, choices.steps, choices.address.prefix, choices.everyMs,
        [&](const Step& step, const Outcome& outcome) {
            printLine(stdout,
                choices.json ? jsonLine(step, outcome, choices.address.name, QDateTime::currentDateTime())
                             : textLine(step, outcome));
        });
    runner.onFinished = [&] { exitWhenSent(app, serial); };
    stopOnSignals(app, runner);

    runner.start();
    app.exec();
    serial.close();

    if (!runner.isFinished())
        return std::max(runner.exitStatus(), notCarriedOut);
    if (const std::size_t unsent = runner.unsentCount(); unsent > 0)
        printLine(stderr, "qm5ctl: stopped; " + std::to_string(unsent) + " command(s) not sent");
    return runner.exitStatus();
}

} // namespace

int runTool(QCoreApplication& app)
{
    auto read = readCommandLine(app);
    if (auto* error = std::get_if<UsageError>(&read))
        return usage(error->message);
    const Choices& choices = std::get<Choices>(read);
    if (choices.steps.empty()) {
        printList();
        return allAnswered;
    }

    QtSerialControl serial([device = choices.line.device](int) { return device; });
    serial.setLineSettings(choices.line.settings);
    if (SerialError error = serial.open()) {
        printLine(stderr, "qm5ctl: cannot open the line: " + explainOpenFailure(*error));
        return lineNotOpened;
    }
    return runCommands(app, serial, choices);
}

} // namespace qm5::cli
