// qm5ctl as a user runs it: a separate process on a pseudo-terminal whose far
// end is virtual projectors served from this test's event loop.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <memory>

#include "cli/vocabulary.hpp"
#include "line.hpp"
#include "panel/repeat_table.hpp"
#include "pty_endpoint.hpp"
#include "rig/eventually.hpp"

// Readable failures: gtest would print a QString as its bytes.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace qm5::test {
namespace {

struct Finished {
    int exitCode = -1;
    QStringList out;
    QStringList err;
};

QStringList linesOf(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes).split('\n', Qt::SkipEmptyParts);
}

class Ctl : public ::testing::Test {
protected:
    void serve(std::vector<int> addresses = {1}, sim::LineOptions options = {.replyDelayMs = 1})
    {
        endpoint.reset(); // it serves the old line
        line = std::make_unique<sim::Line>(addresses, options);
        endpoint = std::make_unique<sim::PtyEndpoint>(*line);
        std::string error;
        ASSERT_TRUE(endpoint->open(&error)) << error;
    }

    // Runs qm5ctl on the line to its end; during() runs once it has started.
    Finished run(QStringList args, const std::function<void(QProcess&)>& during = {})
    {
        QProcess process;
        process.start(QM5CTL, QStringList{"--device", QString::fromStdString(endpoint->slavePath())} + args);
        EXPECT_TRUE(process.waitForStarted());
        if (during)
            during(process);
        EXPECT_TRUE(runLoopUntil([&] { return process.state() == QProcess::NotRunning; }, 30000));
        return {process.exitCode(), linesOf(process.readAllStandardOutput()), linesOf(process.readAllStandardError())};
    }

    std::vector<std::string> frames() const { return {line->recentFrames().begin(), line->recentFrames().end()}; }

    std::unique_ptr<sim::Line> line;
    std::unique_ptr<sim::PtyEndpoint> endpoint;
};

struct Named {
    QString words;
    std::string frame;
};

// Every name with the frame a technician expects of it.
std::vector<Named> everyName()
{
    std::vector<Named> all{{"power on", "C00"}, {"power off", "C01"}, {"input 1", "C05"}, {"input 2", "C06"},
        {"input 3", "C07"}, {"input 4", "C08"}, {"no-show on", "C0D"}, {"no-show off", "C0E"}, {"freeze on", "C43"},
        {"freeze off", "C44"}, {"menu on", "C1C"}, {"menu off", "C1D"}, {"menu up", "C3C"}, {"menu down", "C3D"},
        {"menu left", "C3B"}, {"menu right", "C3A"}, {"menu select", "C3F"}, {"size regular", "C0F"},
        {"size wide", "C10"}, {"picture stand", "CF IMAGE STAND"}, {"picture real", "CF IMAGE REAL"},
        {"picture cinema", "CF IMAGE CINEMA"}, {"picture image1", "CF IMAGE IMAGE1"},
        {"picture image2", "CF IMAGE IMAGE2"}, {"picture image3", "CF IMAGE IMAGE3"},
        {"picture image4", "CF IMAGE IMAGE4"}, {"lamps 4", "C70"}, {"lamps 1-4", "C71"}, {"lamps 2-3", "C72"},
        {"fan max", "CF FANSPEED MAX"}, {"fan normal", "CF FANSPEED NOR"}, {"zoom +", "C47"}, {"zoom -", "C46"},
        {"focus +", "C4B"}, {"focus -", "C4A"}, {"digital-zoom +", "C30"}, {"digital-zoom -", "C31"},
        {"keystone +", "C8E"}, {"keystone -", "C8F"}, {"shift up", "C5D"}, {"shift down", "C5E"}, {"shift left", "C5F"},
        {"shift right", "C60"}, {"a-pc-adjust", "C89"}, {"image", "C27"}, {"p-timer", "C8A"}, {"display-clear", "C1E"},
        {"status", "CR0"}, {"mode", "CR1"}, {"setting", "CR4"}, {"setting2", "CRA"}, {"lamp-mode", "CR7"},
        {"lamp-hours", "CR3"}, {"temperature", "CR6"}, {"pc-type", "CR9"}, {"pressure", "CR PRESSURE"},
        {"p-fail", "CR INFPFAIL"}, {"orientation", "CR4"}, {"mute-status", "CRA"}};
    const std::pair<const char*, const char*> sources[] = {{"dvi", "DIGITAL"}, {"rgb", "ANALOG"}, {"video", "VIDEO"},
        {"ypbpr", "YPBPR"}, {"ycbcr", "YCBCR"}, {"s-video", "S-VIDEO"}, {"yc", "YC"}, {"sdi", "HD-SDI"}};
    for (int row = 1; row <= 4; ++row) {
        for (const auto& [name, word] : sources)
            all.push_back({QString("matrix %1 %2").arg(row).arg(name), "CF INPUT" + std::to_string(row) + " " + word});
    }
    return all;
}

// Every button of the panel has exactly one name: the codes listed are the
// catalogue's and the repeat table's, each once.
// Every button has a name; only the two plain aliases name a button twice.
TEST(CtlVocabulary, NamesEveryButton)
{
    std::vector<std::string> named;
    for (const cli::Step& step : cli::everyCommand()) {
        if (step.name != "orientation" && step.name != "mute-status")
            named.push_back(step.command);
    }
    std::vector<std::string> buttons;
    for (const auto& b : oneShotButtons)
        buttons.emplace_back(b.code);
    for (const auto& b : heldButtons)
        buttons.emplace_back(b.code);
    std::sort(named.begin(), named.end());
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(named, buttons);
}

TEST_F(Ctl, EveryNameSendsItsFrameAndIsListed)
{
    serve();
    QStringList args;
    std::vector<std::string> expected;
    for (const Named& n : everyName()) {
        args += n.words.split(' ');
        expected.push_back(n.frame);
    }
    const Finished all = run(args);
    EXPECT_EQ(all.exitCode, 0) << all.err.join('\n').toStdString();
    EXPECT_EQ(all.out.size(), qsizetype(expected.size()));
    EXPECT_EQ(frames(), expected);

    const QStringList list = run({"list"}).out;
    for (const Named& n : everyName()) {
        const auto listed = std::count_if(list.begin(), list.end(), [&](const QString& l) {
            return l.startsWith(n.words + "  ") && l.contains(QString::fromStdString("  " + n.frame + "  "));
        });
        EXPECT_EQ(listed, 1) << n.words.toStdString();
    }
}

TEST_F(Ctl, PrintsWhatThePanelWouldShow)
{
    serve();
    const Finished r = run({"status", "mode", "setting", "setting2", "lamp-mode", "lamp-hours", "temperature",
        "pc-type", "pressure", "p-fail", "raw", "CR0", "power", "on"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out,
        QStringList({"Stand by", "Input mode 1", "Normally", "Stand by", "All OFF : 4 Lamp mode",
            "0 1 2 0   0 3 4 0   0 5 6 0   0 7 8 0 Hour Use", "S1= 0 2 5 . 0 C  ,   S2=  2 5 . 0 C", "Q M 5 CR",
            "1013 hPa", "0 0 0 0 CR", "Stand by", "ACK"}));
}

TEST_F(Ctl, JsonLinesCarryTheFields)
{
    serve();
    const Finished r = run({"--json", "--address", "001", "status", "power", "on", "lamp-hours", "mute-status",
        "temperature", "pressure"});
    ASSERT_EQ(r.out.size(), 6);
    const QJsonObject status = QJsonDocument::fromJson(r.out[0].toUtf8()).object();
    const QJsonObject power = QJsonDocument::fromJson(r.out[1].toUtf8()).object();
    EXPECT_TRUE(QDateTime::fromString(status["time"].toString(), Qt::ISODateWithMs).isValid());
    EXPECT_EQ(status["address"].toString(), "001");
    EXPECT_EQ(status["command"].toString(), "status");
    EXPECT_EQ(status["frame"].toString(), "A001CR0\r");
    EXPECT_EQ(status["reply"].toString(), " 8 0 CR ");
    EXPECT_EQ(status["status"].toString(), "Stand by");
    EXPECT_TRUE(status["ok"].toBool());
    EXPECT_EQ(power["reply"].toString(), " ACK ");
    EXPECT_TRUE(power["status"].isNull());
    EXPECT_TRUE(power["ok"].toBool());
    // The readings as numbers: the projector's own hours, its power, no values for a command.
    const auto values = [&](int line) { return QJsonDocument::fromJson(r.out[line].toUtf8())["values"].toObject(); };
    EXPECT_EQ(values(0), (QJsonObject{{"power", "standby"}, {"warnings", QJsonArray()}}));
    EXPECT_EQ(values(1), QJsonObject());
    EXPECT_EQ(values(2), (QJsonObject{{"lamp_hours", QJsonArray{120, 340, 560, 780}}}));
    EXPECT_EQ(values(3)["signal"].toString(), "standby"); // still warming up
    EXPECT_EQ(values(4), (QJsonObject{{"temperatures_celsius", QJsonArray{30.0, 33.0}}}));
    EXPECT_EQ(values(5), (QJsonObject{{"pressure_hpa", 1013}}));
}

struct Case {
    const char* what;
    QStringList args;
    int exitCode;
    const char* says; // the first line of output, or a part of the error
    std::vector<std::string> frames;
    sim::Fault fault = sim::Fault::None;
};

TEST_F(Ctl, ExitStatusAndWhatReachesTheLine)
{
    const Case cases[] = {
        {"silent projector", {"status"}, 1, "no reply within 500 ms", {"CR0"}, sim::Fault::Silent},
        {"unknown command text", {"raw", "CX9"}, 1, "NAK", {"CX9"}},
        {"all is not waited for", {"--address", "all", "power", "on", "status"}, 0, "sent to all",
            {"AFFFC00", "AFFFCR0"}, sim::Fault::Silent},
        {"unknown name", {"status", "pwr"}, 2, "unknown command 'pwr'", {}},
        {"missing argument", {"status", "power"}, 2, "power wants on or off", {}},
        {"bad argument", {"zoom", "up"}, 2, "zoom wants + or -", {}},
        {"matrix row", {"matrix", "5", "dvi"}, 2, "row 1 to 4", {}},
        {"matrix source", {"matrix", "1", "hdmi"}, 2, "not one of dvi", {}},
        {"control character", {"raw", "C00\rC01"}, 2, "printable ASCII", {}},
        {"speed", {"--speed", "4800", "status"}, 2, "--speed wants 19200 or 9600", {}},
        {"address", {"--address", "005", "status"}, 2, "--address wants single, all", {}},
        {"interval", {"--every", "0", "status"}, 2, "--every wants", {}},
        {"unknown option", {"--colour", "status"}, 2, "Unknown option 'colour'", {}},
        {"nothing to do", {}, 2, "no command given", {}},
        {"two lines", {"--com", "1", "status"}, 2, "give one of them", {}},
        {"list with more", {"list", "status"}, 2, "stands alone", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        serve({1}, {.replyDelayMs = 1, .fault = c.fault});
        const Finished r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        const QStringList& said = c.exitCode == 2 ? r.err : r.out;
        ASSERT_FALSE(said.isEmpty());
        EXPECT_TRUE(said[0].contains(c.says)) << said.join('\n').toStdString();
        if (c.exitCode == 2) {
            EXPECT_EQ(r.err.size(), 1);
        }
        // The far end looks for a new opener every 25 ms; give what was
        // written time to arrive, wanted or not.
        runLoopUntil([&] { return frames() == c.frames; }, 2000);
        runLoopFor(100);
        EXPECT_EQ(frames(), c.frames);
    }
}

TEST_F(Ctl, AnAddressReachesOnlyItsProjector)
{
    serve({1, 2});
    const Finished r = run({"--address", "002", "power", "on", "lamp-hours"});
    EXPECT_EQ(r.exitCode, 0);
    // Only projector 002 has lamps past a thousand hours.
    EXPECT_EQ(r.out, QStringList({"ACK", "1 1 2 0   1 3 4 0   1 5 6 0   1 7 8 0 Hour Use"}));
    EXPECT_EQ(line->projector(1)->power(), sim::PowerState::Standby);
    EXPECT_NE(line->projector(2)->power(), sim::PowerState::Standby);
}

TEST_F(Ctl, AHeldOrMissingLineIsReportedAndNothingSent)
{
    serve();
    QSerialPort panel(QString::fromStdString(endpoint->slavePath()));
    ASSERT_TRUE(panel.open(QIODevice::ReadWrite));
    const Finished held = run({"power", "off"});
    EXPECT_EQ(held.exitCode, 3);
    ASSERT_EQ(held.err.size(), 1);
    EXPECT_TRUE(held.err[0].contains(QString::fromStdString(endpoint->slavePath())));
    EXPECT_TRUE(held.err[0].contains("held by another program")) << held.err[0].toStdString();
    panel.close();

    QProcess process;
    process.start(QM5CTL, {"--device", "/nonexistent/ttyQM5", "status"});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 3);
    EXPECT_TRUE(process.readAllStandardError().contains("/nonexistent/ttyQM5: No such file or directory"));
    runLoopFor(100);
    EXPECT_TRUE(frames().empty());
}

// A signal lets the command in flight finish and print, then ends the rounds
// at once, however long the pause before the next round would be.
TEST_F(Ctl, RoundsStopCleanlyOnASignal)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        for (const std::size_t round : {1, 2}) {
            SCOPED_TRACE(testing::Message() << "signal " << signal << " in round " << round);
            serve({1}, {.replyDelayMs = 300});
            const QString every = round == 1 ? "600" : "0.1";
            const Finished r = run({"--every", every, "status"}, [&](QProcess& p) {
                ASSERT_TRUE(runLoopUntil([&] { return line->framesReceived() == round; }, 10000));
                ::kill(static_cast<pid_t>(p.processId()), signal);
            });
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_EQ(r.out, QStringList(qsizetype(round), "Stand by"));
            EXPECT_EQ(line->framesReceived(), round);
        }
    }
}

} // namespace
} // namespace qm5::test
