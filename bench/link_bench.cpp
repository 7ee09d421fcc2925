// Click to frame on the wire, and reply to status line: the panel beside a
// bare QSerialPort doing the same transfer over the same kind of pty.
//
// Panel and floor live in one process and take turns, one repetition each,
// so both see the same load on a shared machine. Before each panel turn the
// panel is brought back to rest (display lines cleared, reply window over),
// so every click changes its captions as a click on an idle panel does.

#include <QApplication>
#include <QPushButton>
#include <QSerialPort>
#include <QTest>
#include <QTimer>

#include <functional>

#include "benches.hpp"
#include "layout/control_names.hpp"
#include "support.hpp"

namespace qm5::bench {

namespace {

constexpr int settleMs = 10;
constexpr int waitMs = 2000;
// The far end answers a status query this long after reading it, well after
// the panel has finished with the click (its repaint comes 5 ms after).
constexpr int replyDelayUs = 20'000;

void openBarePort(QSerialPort& port, const std::string& path)
{
    port.setPortName(QString::fromStdString(path));
    port.setBaudRate(19200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    if (!port.open(QIODevice::ReadWrite))
        throw SetupError{"QSerialPort could not open " + path + ": " + port.errorString().toStdString()};
}

int repetitions(int full)
{
    return smoke() ? 5 : full;
}

void judgeRatio(const std::string& figure, const Stats& panel, const Stats& floor, double goal)
{
    const double ratio = panel.median / floor.median;
    row(figure, usPair(panel), usPair(floor), fmt("×%.2f median, ×%.2f p99", ratio, panel.p99 / floor.p99),
        fmt("≤ %.1f × floor", goal), ratio <= goal);
}

// Stamps the start of every socket-notifier dispatch: where the loop, woken
// by the pty, begins handling the bytes. Splits a reply's time into the
// loop's wake-up and the handling itself.
class DispatchStamp : public QObject {
public:
    std::int64_t last = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::SockAct)
            last = nowNs();
        return false;
    }
};

} // namespace

int benchClick()
{
    Rig rig;
    QWidget& on = rig.control(controls::powerOn);

    // The floor: a bare QSerialPort write of the frame.
    FarEnd floorFar;
    QSerialPort port;
    openBarePort(port, floorFar.path());

    // For reference: the same write behind a plain QPushButton, which shows
    // what a click on any Qt button costs before the panel's own code runs.
    FarEnd plainFar;
    QSerialPort plainPort;
    openBarePort(plainPort, plainFar.path());
    QWidget plainWindow;
    QPushButton plainButton(QStringLiteral("ON"), &plainWindow);
    plainButton.setGeometry(8, 40, 41, 20);
    QObject::connect(&plainButton, &QPushButton::clicked, [&plainPort] { plainPort.write("C00\r", 4); });
    plainWindow.show();
    runLoopFor(50);

    const auto timeOne = [](FarEnd& far, const std::function<void()>& send, const char* what) {
        runLoopFor(settleMs);
        const std::size_t n = far.frameCount();
        const std::int64_t t0 = nowNs();
        send();
        if (!far.waitFrames(n + 1, waitMs))
            throw SetupError{std::string("no frame reached the far end after ") + what};
        const FarEnd::Frame frame = far.lastFrame();
        if (frame.text != "C00")
            throw SetupError{"the far end read \"" + frame.text + "\" after " + what};
        return toUs(frame.atNs - t0);
    };

    const int reps = repetitions(400);
    const int warmUp = smoke() ? 1 : 20;
    std::vector<double> panel;
    std::vector<double> floor;
    std::vector<double> plain;
    for (int i = -warmUp; i < reps; ++i) {
        rig.rest();
        const double p = timeOne(
            rig.far, [&] { QTest::mouseClick(&on, Qt::LeftButton); }, "a click on ON");
        const double f = timeOne(
            floorFar, [&] { port.write("C00\r", 4); }, "a bare write");
        const double b = timeOne(
            plainFar, [&] { QTest::mouseClick(&plainButton, Qt::LeftButton); }, "a click on a plain button");
        if (i >= 0) {
            panel.push_back(p);
            floor.push_back(f);
            plain.push_back(b);
        }
    }
    rig.rest();
    const Stats p = summarise(panel);
    const Stats f = summarise(floor);
    const Stats b = summarise(plain);
    judgeRatio("Click to frame on the wire", p, f, 1.5);
    row("Click to frame, for reference: a plain QPushButton whose click writes the frame", usPair(b), usPair(f),
        fmt("×%.2f median (the panel: ×%.2f of this)", b.median / f.median, p.median / b.median), "(for reference)",
        std::nullopt);
    note(fmt("Click to frame: %zu repetitions of each, taking turns; means: panel %.0f µs, bare write %.0f µs, "
             "plain button %.0f µs.",
        p.count, p.mean, f.mean, b.mean));
    return 0;
}

int benchReply()
{
    const auto answerStatus = [](const std::string& frame) -> std::optional<FarEnd::Reply> {
        if (frame == "CR0")
            return FarEnd::Reply{"00\r", replyDelayUs};
        return std::nullopt;
    };
    Rig rig(answerStatus);
    QWidget& status = rig.control(controls::statusQuery);

    // The moment the logic has put the decoded status on the status line,
    // taken inside the Display call itself: nothing polls, nothing waits a round.
    std::int64_t shownAt = 0;
    QEventLoop* waiting = nullptr;
    rig.onCaption = [&](std::string_view control, const std::string& text) {
        if (control == controls::statusLine && text == " Power ON" && !shownAt) {
            shownAt = nowNs();
            if (waiting)
                waiting->quit();
        }
    };

    FarEnd floorFar(answerStatus);
    QSerialPort port;
    openBarePort(port, floorFar.path());
    QByteArray received;
    std::int64_t readAt = 0;
    QObject::connect(&port, &QSerialPort::readyRead, [&] {
        received += port.readAll();
        if (received == "00\r" && !readAt) {
            readAt = nowNs();
            if (waiting)
                waiting->quit();
        }
    });
    DispatchStamp dispatch;
    qApp->installEventFilter(&dispatch);
    runLoopFor(50);

    const auto waitFor = [&](const std::int64_t& stamp) {
        QEventLoop loop;
        waiting = &loop;
        QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        if (!stamp)
            loop.exec();
        waiting = nullptr;
        return stamp != 0;
    };

    const int reps = repetitions(300);
    const int warmUp = smoke() ? 1 : 10;
    std::vector<double> panel;
    std::vector<double> floor;
    std::vector<double> panelHandling;
    std::vector<double> floorHandling;
    for (int i = -warmUp; i < reps; ++i) {
        rig.rest();
        runLoopFor(settleMs);
        shownAt = 0;
        QTest::mouseClick(&status, Qt::LeftButton);
        if (!waitFor(shownAt))
            throw SetupError{"the status line never read \" Power ON\" after the far end answered 00 CR"};
        if (i >= 0) {
            panel.push_back(toUs(shownAt - rig.far.lastReplyNs()));
            panelHandling.push_back(toUs(shownAt - dispatch.last));
        }

        runLoopFor(settleMs);
        received.clear();
        readAt = 0;
        port.write("CR0\r", 4);
        if (!waitFor(readAt))
            throw SetupError{"the bare port never read 00 CR"};
        if (i >= 0) {
            floor.push_back(toUs(readAt - floorFar.lastReplyNs()));
            floorHandling.push_back(toUs(readAt - dispatch.last));
        }
    }
    qApp->removeEventFilter(&dispatch);
    rig.onCaption = {};
    rig.rest();
    const Stats p = summarise(panel);
    const Stats f = summarise(floor);
    const Stats ph = summarise(panelHandling);
    const Stats fh = summarise(floorHandling);
    judgeRatio("Reply to status line", p, f, 1.5);
    note(fmt("Reply to status line: %zu repetitions of each, taking turns; means: panel %.0f µs, floor %.0f µs. "
             "From the start of the port's notifier dispatch to the end: panel (read, transcript, two captions, "
             "decode) median %.0f µs, p99 %.0f µs; floor (read) median %.0f µs, p99 %.0f µs; the rest is the "
             "pty and the loop waking up.",
        p.count, p.mean, f.mean, ph.median, ph.p99, fh.median, fh.p99));
    return 0;
}

} // namespace qm5::bench
