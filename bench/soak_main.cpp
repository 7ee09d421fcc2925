// qm5-soak: the real window, offscreen, on the real QSerialPort, clicking
// STATUS every 100 ms (or the interval given) against a virtual projector for
// a given time. Every
// reply must decode to " Stand by". Reports resident memory and open
// descriptors at the start and the end, and the counts of frames, replies
// and missing replies. Run by scripts/soak; not a test.
//
//   qm5-soak SECONDS DEVICE [INTERVAL_MS]

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/serial_control.hpp"
#include "layout/control_names.hpp"
#include "proc_stats.hpp"
#include "protocol/decode_reply.hpp"
#include "protocol/transcript.hpp"
#include "rig/eventually.hpp"
#include "rig/panel_rig.hpp"

namespace {

using qm5::SerialError;
namespace controls = qm5::controls;

// Passes everything through to the real serial control and watches the line:
// frames out, and the replies in, one by one, as the projector sent them.
class WatchedSerial : public qm5::SerialControl {
public:
    explicit WatchedSerial(qm5::QtSerialControl& inner) : inner_(inner)
    {
        inner_.setReceiveHandler([this] { raiseReceived(); });
    }
    ~WatchedSerial() override { inner_.setReceiveHandler({}); }

    SerialError setPortNumber(int port) override { return inner_.setPortNumber(port); }
    int portNumber() const override { return inner_.portNumber(); }
    SerialError setLineSettings(const std::string& settings) override { return inner_.setLineSettings(settings); }
    bool isOpen() const override { return inner_.isOpen(); }
    SerialError open() override { return inner_.open(); }
    void close() override { inner_.close(); }
    SerialError write(const std::string& text) override
    {
        SerialError err = inner_.write(text);
        if (!err) {
            ++sent;
            lastFrame_ = text;
        }
        return err;
    }
    std::string readAll() override
    {
        std::string in = inner_.readAll();
        partial_ += in;
        for (std::size_t cr; (cr = partial_.find('\r')) != std::string::npos;) {
            const std::string reply = partial_.substr(0, cr + 1);
            partial_.erase(0, cr + 1);
            ++replies;
            // Decoded on its own, as if it were the only reply in the buffer.
            const auto status = qm5::decodeReply(qm5::renderTranscript(reply), lastFrame_, "");
            if (!status || *status != " Stand by") {
                ++undecoded;
                if (undecoded <= 5)
                    std::fprintf(stderr, "qm5-soak: reply%s did not decode\n", qm5::renderTranscript(reply).c_str());
            }
        }
        return in;
    }
    std::size_t unsentBytes() const override { return inner_.unsentBytes(); }

    long sent = 0;
    long replies = 0;
    long undecoded = 0;

private:
    qm5::QtSerialControl& inner_;
    std::string partial_;
    std::string lastFrame_;
};

struct Figures {
    long rssKiB;
    int descriptors;
};

Figures measure()
{
    return {qm5::test::residentKiB(), qm5::test::openDescriptors()};
}

int usage()
{
    std::fprintf(stderr, "usage: qm5-soak SECONDS DEVICE [INTERVAL_MS]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return usage();
    char* end = nullptr;
    const long seconds = std::strtol(argv[1], &end, 10);
    if (*end != '\0' || seconds <= 0)
        return usage();
    const std::string device = argv[2];
    long intervalMs = 100;
    if (argc == 4) {
        intervalMs = std::strtol(argv[3], &end, 10);
        if (*end != '\0' || intervalMs <= 0 || intervalMs > 60000)
            return usage();
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::unique_ptr<WatchedSerial> watched;
    qm5::test::PanelRig rig(
        [device](int n) -> std::string { return n == 1 ? device
                                             : n == 2  ? "/nonexistent/qm5-soak-com2"
                                                       : ""; }, {},
        [&](qm5::QtSerialControl& port) -> qm5::SerialControl& {
            watched = std::make_unique<WatchedSerial>(port);
            return *watched;
        });
    WatchedSerial& line = *watched;
    qm5::PanelWindow& window = rig.window();
    QWidget* status = window.control(controls::statusQuery);

    std::printf("qm5-soak: %ld s, STATUS every %ld ms, against %s\n", seconds, intervalMs, device.c_str());
    const Figures atLoad = measure();
    std::printf("at load:  VmRSS %ld KiB, %d descriptors\n", atLoad.rssKiB, atLoad.descriptors);

    // The first exchange settles fonts, buffers and notifiers; the figures
    // that a leak would move are taken from there.
    QTest::mouseClick(status, Qt::LeftButton);
    if (!qm5::test::runLoopUntil([&] { return line.replies > 0; }, 5000)) {
        std::fprintf(stderr, "qm5-soak: no reply from %s\n", device.c_str());
        return 1;
    }
    const Figures atStart = measure();
    std::printf("start:    VmRSS %ld KiB, %d descriptors\n", atStart.rssKiB, atStart.descriptors);
    std::fflush(stdout);

    long late = 0; // a click found the reply to the one before it not yet in
    long wrongStatus = 0;
    long missingMarks = 0; // " X X X X" seen on the reply line
    QElapsedTimer elapsedTime;
    elapsedTime.start();
    long nextReport = 60;

    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(static_cast<int>(intervalMs));
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (line.replies < line.sent)
            ++late;
        if (window.caption(controls::rxdLine) == " X X X X")
            ++missingMarks;
        const std::string shown = window.caption(controls::statusLine);
        if (!shown.empty() && shown != " Stand by")
            ++wrongStatus;
        const long elapsed = elapsedTime.elapsed() / 1000;
        if (elapsed >= nextReport) {
            const Figures now = measure();
            std::printf("%6ld s: %ld frames, %ld replies, VmRSS %ld KiB, %d descriptors\n", elapsed, line.sent,
                line.replies, now.rssKiB, now.descriptors);
            std::fflush(stdout);
            nextReport += 60;
        }
        if (elapsed >= seconds) {
            poll.stop();
            app.quit();
            return;
        }
        QTest::mouseClick(status, Qt::LeftButton);
    });
    poll.start();
    app.exec();

    // The last reply is let in before counting.
    (void)qm5::test::runLoopUntil([&] { return line.replies >= line.sent; }, 2000);
    const long missing = line.sent - line.replies;
    const auto warnings = static_cast<long>(rig.warnings.size());
    for (const std::string& text : rig.warnings)
        std::fprintf(stderr, "qm5-soak: warning: %s\n", text.c_str());
    const Figures atEnd = measure();
    std::printf("end:      VmRSS %ld KiB, %d descriptors\n", atEnd.rssKiB, atEnd.descriptors);
    std::printf("frames %ld, replies %ld, missing %ld, undecoded %ld, late %ld, \" X X X X\" seen %ld, "
                "wrong status %ld, warnings %ld\n",
        line.sent, line.replies, missing, line.undecoded, late, missingMarks, wrongStatus, warnings);
    std::printf("reply buffer at the end: %zu characters\n", window.panel().exchange().receiveBuffer().size());
    std::printf("growth:   VmRSS %+ld KiB, %+d descriptors\n", atEnd.rssKiB - atStart.rssKiB,
        atEnd.descriptors - atStart.descriptors);
    const bool clean = line.replies > 0 && line.undecoded == 0 && missing == 0 && wrongStatus == 0 && warnings == 0
        && atEnd.descriptors == atStart.descriptors;
    return clean ? 0 : 1;
}
