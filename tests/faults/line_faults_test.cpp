// The far end hangs up in the middle of a reply, floods the line, takes bytes slowly.

#include <gtest/gtest.h>

#include <QSerialPort>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <poll.h>
#include <random>
#include <sys/ioctl.h>
#include <thread>

#include "layout/control_names.hpp"
#include "proc_stats.hpp"
#include "protocol/transcript.hpp"
#include "rig/eventually.hpp"
#include "rig/panel_rig.hpp"
#include "rig/raw_pty.hpp"
#include <QTest>

namespace qm5::test {
namespace {

namespace c = controls;

TEST(LineFaults, FarEndHangsUpInTheMiddleOfAReply)
{
    for (const bool partShownFirst : {true, false}) {
        SCOPED_TRACE(partShownFirst ? "part shown, then hang-up" : "hang-up right behind the part");
        QTemporaryDir scratch;
        const std::string link = scratch.filePath("com1").toStdString();
        RawPty far;
        far.linkAs(link);
        PanelRig panel(link);
        int reads = 0, errors = 0, lost = 0;
        QObject counting; // the connections end with it
        QObject::connect(&panel.serial().port(), &QSerialPort::readyRead, &counting, [&] { ++reads; });
        QObject::connect(&panel.serial().port(), &QSerialPort::errorOccurred, &counting,
            [&](QSerialPort::SerialPortError e) { errors += e != QSerialPort::NoError; });
        QObject::connect(&panel.serial(), &QtSerialControl::deviceLost, &counting, [&] { ++lost; });

        panel.send("CR0"); // a 2000 ms reply window
        ASSERT_EQ(far.readAtLeast(4, waitMs), "CR0\r");
        ASSERT_TRUE(far.writeAll("8"));
        if (partShownFirst)
            QM5_ASSERT_EVENTUALLY_EQ(panel.caption(c::rxdLine), std::string(" 8 "), waitMs);
        far.hangUp();

        QM5_ASSERT_EVENTUALLY(!panel.serial().isOpen() && !panel.panel().exchange().replyTimer().isActive(), waitMs);
        const std::string shown = panel.caption(c::rxdLine);
        EXPECT_TRUE(shown == " 8 " || (!partShownFirst && shown == " X X X X")) << shown;
        EXPECT_EQ(panel.ends, 0);
        EXPECT_EQ(lost, 1);
        // A dead line goes quiet.
        const std::pair seen{reads, errors};
        QTest::qWait(500);
        EXPECT_EQ(std::pair(reads, errors), seen);
        EXPECT_LE(std::max(reads, errors), 3);

        RawPty next; // the adapter is plugged in again under its link: the next press finds it
        next.linkAs(link);
        panel.click(c::statusQuery);
        ASSERT_EQ(next.readAtLeast(4, waitMs), "CR0\r");
        ASSERT_TRUE(next.writeAll("80\r"));
        QM5_ASSERT_EVENTUALLY_EQ(panel.caption(c::statusLine), std::string(" Stand by"), waitMs);
        EXPECT_TRUE(panel.warnings.empty());
    }
}

#if defined(__SANITIZE_ADDRESS__) // freed blocks wait in its quarantine and keep the resident size up
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
long memoryInUseKiB()
{
    return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
}
#else
long memoryInUseKiB()
{
    return residentKiB();
}
#endif

TEST(LineFaults, FloodOfTenMegabytesKeepsMemoryAndTheWindowInBounds)
{
    std::string flood(10u << 20, '\0');
    std::mt19937 random(20240611);
    std::generate(flood.begin(), flood.end(), [&] { return static_cast<char>(random()); });
    RawPty far;
    PanelRig panel(far.path());
    ASSERT_TRUE(panel.serial().isOpen());

    std::atomic<std::size_t> written{0};
    std::atomic<bool> done{false};
    std::size_t largestBuffer = 0;
    int ticks = 0; // of the event loop while the flood is under way
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        ticks += written > 0 && !done;
        largestBuffer = std::max(largestBuffer, panel.panel().exchange().receiveBuffer().size());
    });
    const long memoryBefore = memoryInUseKiB();
    ASSERT_GT(memoryBefore, 0);
    probe.start(5);
    std::jthread writer([&](std::stop_token stop) { // as fast as the terminal takes it
        for (std::size_t at = 0; at < flood.size() && !stop.stop_requested(); written = at) {
            pollfd out{far.master(), POLLOUT, 0};
            ::poll(&out, 1, 50);
            const ssize_t n = ::write(far.master(), flood.data() + at, std::min<std::size_t>(4096, flood.size() - at));
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            at += static_cast<std::size_t>(std::max<ssize_t>(n, 0));
        }
        done = true;
    });
    ASSERT_TRUE(runLoopUntil([&] { return done.load(); }, 25000)) << "the flood did not get through";
    ASSERT_EQ(written, flood.size());
    const auto slave = static_cast<int>(panel.serial().port().handle());
    ASSERT_TRUE(runLoopUntil(
        [&, unread = 0]() mutable { // till all written has been taken in
            return ::ioctl(slave, FIONREAD, &unread) == 0 && unread + panel.serial().port().bytesAvailable() == 0;
        },
        waitMs));
    const long memoryAfter = memoryInUseKiB();

    EXPECT_LT(memoryAfter - memoryBefore, 64L * 1024) << memoryBefore << " KiB before, " << memoryAfter << " after";
    EXPECT_LE(largestBuffer, Exchange::receiveBufferCap);
    EXPECT_GE(ticks, 3) << "the event loop starved during the flood";
    // No send opened a reply window to clear the buffer: the first bytes stay.
    EXPECT_EQ(
        panel.caption(c::rxdLine), renderTranscript(std::string_view(flood).substr(0, Exchange::receiveBufferCap)));
    EXPECT_TRUE(panel.warnings.empty());
    panel.click(c::statusQuery);
    EXPECT_EQ(far.readAtLeast(4, waitMs), "CR0\r");
    EXPECT_EQ(panel.caption(c::txdLine), " C R 0 CR ");
}

// At 9600 baud an addressed arrow frame takes 8.3 ms on the wire, longer than
// the 5 ms repeat after a D.Zoom release. The far end takes bytes no faster
// than the line would carry them; a hold must never queue more than that.
TEST(LineFaults, HoldAtNineSixHundredStopsWithinAFrameOfTheRelease)
{
    RawPty far;
    PanelRig panel(far.path());
    panel.click(c::comButton);
    panel.click(c::speed9600);        // 9600
    panel.click(c::address001);       // 001
    panel.click(c::digitalZoomMinus); // D.Zoom -: the arrows now repeat every 5 ms
    ASSERT_EQ(far.readAtLeast(8, waitMs), "A001C31\r");

    const std::string frame = "A001C3A\r";
    QElapsedTimer line;
    std::string taken;
    const auto takeAtLinePace = [&] { // 960 bytes a second
        const auto budget = static_cast<std::size_t>(line.elapsed() * 96 / 100);
        taken += far.readAvailable(budget - std::min(budget, taken.size()));
    };
    line.start();
    QTest::mousePress(panel.control(c::cursorRight), Qt::LeftButton);
    runLoopUntil([&] { return takeAtLinePace(), line.elapsed() >= 2000; }, 4000);
    QTest::mouseRelease(panel.control(c::cursorRight), Qt::LeftButton);
    takeAtLinePace();
    const std::string backlog = far.readAvailable();
    EXPECT_LE(backlog.size(), frame.size() + 1) << "still queued at the release";
    const std::string all = taken + backlog;
    EXPECT_GE(all.size(), 100 * frame.size()) << "the hold kept the line busy";
    for (std::size_t i = 0; i < all.size(); i += frame.size())
        ASSERT_EQ(all.substr(i, frame.size()), frame) << "at byte " << i;
}

} // namespace
} // namespace qm5::test
