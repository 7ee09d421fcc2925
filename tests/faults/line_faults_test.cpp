// What the far end of the line can do to the panel: hang up in the middle of a
// reply, flood it, send every byte value there is.

#include <QSerialPort>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <random>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// From AddressSanitizer's runtime; its header does not ship with every compiler.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "link/transcript.hpp"
#include "panel.hpp"
#include "proc_stats.hpp"
#include "qt_support/eventually.hpp"
#include "raw_pty.hpp"
#include "run_loop.hpp"

namespace qm5::test {
namespace {

constexpr int waitMs = 5000;
// The flood goes out in pieces of this size, as fast as the terminal takes them.
constexpr std::size_t floodChunkBytes = 4096;

// Memory the flood could make grow, in KiB. Under AddressSanitizer freed
// blocks wait in its quarantine and keep the resident size up, so there the
// bytes still allocated are counted instead.
long memoryInUseKiB()
{
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return residentKiB();
#endif
}

// Counts what the serial port reports, to see that a dead line goes quiet.
struct PortEvents {
    struct Counts {
        int readyRead = 0;
        int errors = 0;
        int lost = 0;
    } counts;
    QObject context; // the connections end with this object

    explicit PortEvents(QtSerialControl& comm)
    {
        QObject::connect(&comm.port(), &QSerialPort::readyRead, &context, [this] { ++counts.readyRead; });
        QObject::connect(&comm.port(), &QSerialPort::errorOccurred, &context,
                         [this](QSerialPort::SerialPortError e) {
                             if (e != QSerialPort::NoError)
                                 ++counts.errors;
                         });
        QObject::connect(&comm, &QtSerialControl::deviceLost, &context, [this] { ++counts.lost; });
    }
};

TEST(LineFaults, FarEndHangsUpInTheMiddleOfAReply)
{
    struct Row {
        const char* name;
        bool partShownFirst; // the panel has shown the part before the hang-up
    };
    const Row rows[] = {{"part shown, then hang-up", true}, {"hang-up right behind the part", false}};

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawPty far;
        std::string error;
        ASSERT_TRUE(far.open(&error)) << error;
        Panel panel;
        panel.ports[1] = far.slavePath();
        panel.start();
        ASSERT_TRUE(panel.comm->portOpen());
        PortEvents events(*panel.comm);

        // A 2000 ms reply window leaves time to look at the reply line before
        // the display is cleared 500 ms later.
        panel.send("CR0");
        ASSERT_EQ(far.readAtLeast(4, waitMs), "CR0\r");
        ASSERT_TRUE(far.writeAll("8"));
        if (row.partShownFirst)
            QM5_ASSERT_EVENTUALLY_EQ(panel.label("Label12"), std::string(" 8 "), waitMs);
        far.close();

        QM5_ASSERT_EVENTUALLY(!panel.comm->portOpen(), waitMs);
        QM5_ASSERT_EVENTUALLY(!panel.form().timer2().isActive(), waitMs);
        const std::string shown = panel.label("Label12");
        if (row.partShownFirst)
            EXPECT_EQ(shown, " 8 ");
        else
            EXPECT_TRUE(shown == " 8 " || shown == " X X X X") << shown;
        EXPECT_TRUE(panel.warnings.empty()) << panel.warnings.front();
        EXPECT_EQ(panel.ends, 0);
        EXPECT_EQ(events.counts.lost, 1);

        // A dead line goes quiet: nothing more is reported once it is closed.
        const PortEvents::Counts seen = events.counts;
        QTest::qWait(500);
        EXPECT_EQ(events.counts.readyRead, seen.readyRead);
        EXPECT_EQ(events.counts.errors, seen.errors);
        EXPECT_LE(events.counts.readyRead, 3);
        EXPECT_LE(events.counts.errors, 3);

        // A new far end on the same port number: the next press finds it.
        RawPty next;
        ASSERT_TRUE(next.open(&error)) << error;
        panel.ports[1] = next.slavePath();
        panel.click("Command44");
        ASSERT_EQ(next.readAtLeast(4, waitMs), "CR0\r");
        ASSERT_TRUE(next.writeAll("80\r"));
        QM5_ASSERT_EVENTUALLY_EQ(panel.label("Label22"), std::string(" Stand by"), waitMs);
        EXPECT_TRUE(panel.comm->portOpen());
        EXPECT_TRUE(panel.warnings.empty());
    }
}

// Stops and joins the writer however the test leaves.
struct WriterThread {
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::atomic<std::size_t> written{0};
    std::thread thread;

    ~WriterThread()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
    }
};

TEST(LineFaults, FloodOfTenMegabytesKeepsMemoryAndTheWindowInBounds)
{
    constexpr std::size_t floodBytes = 10u << 20;
    std::string flood(floodBytes, '\0');
    std::mt19937 random(20240611);
    std::generate(flood.begin(), flood.end(), [&] { return static_cast<char>(random() & 0xFF); });

    RawPty far;
    std::string error;
    ASSERT_TRUE(far.open(&error)) << error;
    Panel panel;
    panel.ports[1] = far.slavePath();
    panel.start();
    ASSERT_TRUE(panel.comm->portOpen());

    WriterThread writer;
    std::size_t largestBuffer = 0;
    int probeTicks = 0; // while the flood is under way
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (writer.written > 0 && !writer.done)
            ++probeTicks;
        largestBuffer = std::max(largestBuffer, panel.form().rxBuffer().size());
    });

    const long memoryBefore = memoryInUseKiB();
    ASSERT_GT(memoryBefore, 0);
    probe.start();

    writer.thread = std::thread([&writer, &flood, fd = far.master()] {
        std::size_t offset = 0;
        while (offset < flood.size() && !writer.stop) {
            pollfd out{fd, POLLOUT, 0};
            ::poll(&out, 1, 50);
            const ssize_t n = ::write(fd, flood.data() + offset, std::min(floodChunkBytes, flood.size() - offset));
            if (n > 0) {
                offset += static_cast<std::size_t>(n);
                writer.written = offset;
            } else if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
        }
        writer.done = true;
    });

    ASSERT_TRUE(runLoopUntil([&] { return writer.done.load(); }, 25000)) << "the flood did not get through";
    ASSERT_EQ(writer.written, floodBytes);
    // Everything written has been taken in by the panel.
    const int slave = static_cast<int>(panel.comm->port().handle());
    auto unread = [&] {
        int waiting = 0;
        ::ioctl(slave, FIONREAD, &waiting);
        return waiting + panel.comm->port().bytesAvailable();
    };
    ASSERT_TRUE(runLoopUntil([&] { return unread() == 0; }, waitMs));
    runLoopUntil([] { return false; }, 50);
    probe.stop();
    const long memoryAfter = memoryInUseKiB();

    std::printf("flood: %zu bytes, memory in use %ld KiB before, %ld KiB after, probe ticks %d\n", floodBytes,
                memoryBefore, memoryAfter, probeTicks);
    EXPECT_LT(memoryAfter - memoryBefore, 64L * 1024);
    EXPECT_LE(largestBuffer, Form1::rxBufferCap);
    EXPECT_EQ(panel.form().rxBuffer().size(), Form1::rxBufferCap);
    EXPECT_GE(probeTicks, 3) << "the event loop starved during the flood";
    // No send opened a reply window, so the buffer was never cleared: it
    // holds the first 32767 bytes of the flood and drops the rest.
    EXPECT_EQ(panel.label("Label12"), RenderTranscript(std::string_view(flood).substr(0, Form1::rxBufferCap)));
    EXPECT_TRUE(panel.warnings.empty());

    // The window still works after the flood.
    panel.click("Command44");
    EXPECT_EQ(far.readAtLeast(4, waitMs), "CR0\r");
    EXPECT_EQ(panel.label("Label11"), " C R 0 CR ");
}

TEST(LineFaults, EveryByteValueInOneReplyIsShownOneTokenEach)
{
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[static_cast<std::size_t>(i)] = static_cast<char>(i);

    struct Row {
        const char* name;
        std::size_t pieceBytes;
    };
    const Row rows[] = {{"in one write", 256}, {"in pieces of seven", 7}};

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawPty far;
        std::string error;
        ASSERT_TRUE(far.open(&error)) << error;
        Panel panel;
        panel.ports[1] = far.slavePath();
        panel.start();

        panel.send("CR0");
        ASSERT_EQ(far.readAtLeast(4, waitMs), "CR0\r");
        for (std::size_t at = 0; at < all.size(); at += row.pieceBytes) {
            const std::size_t end = std::min(all.size(), at + row.pieceBytes);
            ASSERT_TRUE(far.writeAll(std::string_view(all).substr(at, end - at)));
            // Each piece is taken in on its own receive event.
            QM5_ASSERT_EVENTUALLY_EQ(panel.form().rxBuffer().size(), end, waitMs);
        }
        EXPECT_EQ(panel.form().rxBuffer(), all);
        const std::string expected = RenderTranscript(all);
        EXPECT_EQ(panel.label("Label12"), expected);
        // Spot checks on the rendering itself: code 0 and code 255 are both
        // "? ", CR and LF keep their names, and no decoder took the reply.
        EXPECT_EQ(expected.substr(0, 5), " ? ? ");
        EXPECT_EQ(expected.substr(expected.size() - 2), "? ");
        EXPECT_NE(expected.find("LF ? ? CR "), std::string::npos);
        EXPECT_EQ(panel.label("Label22"), "");
    }
}

} // namespace
} // namespace qm5::test
