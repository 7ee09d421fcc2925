// Over real pseudo-terminals: the QSerialPort control against a terminal made
// by the test, and the virtual projector's endpoint against a plain opener.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "console/qt_serial_control.hpp"
#include "line.hpp"
#include "pty_endpoint.hpp"
#include "rig/eventually.hpp"
#include "rig/raw_pty.hpp"

namespace qm5 {
namespace {

// Reads fd, keeping Qt's loop turning, until done(got) or five seconds.
std::string readUntil(int fd, auto done)
{
    std::string got;
    const QDeadlineTimer deadline(5000);
    while (!done(got) && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        pollfd p{fd, POLLIN, 0};
        char buf[512];
        const ssize_t n = ::poll(&p, 1, 10) > 0 && (p.revents & POLLIN) ? ::read(fd, buf, sizeof buf) : 0;
        got.append(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    return got;
}

class SerialOverPty : public ::testing::Test {
protected:
    test::RawPty pty{true}; // its slave stays open, so the far end can read its settings
    QtSerialControl control{[this](int port) -> std::string {
        return port == 1 ? pty.path() : port == 2 ? "/nonexistent/qm5rsc-test-port" : "";
    }};
    std::string received;
    int events = 0;

    void SetUp() override
    {
        control.setReceiveHandler([this] {
            ++events;
            received += control.readAll();
        });
        ASSERT_FALSE(control.setPortNumber(1));
        const SerialError err = control.open();
        ASSERT_FALSE(err) << *err;
    }
    speed_t farSpeed() const
    {
        termios t{};
        ::tcgetattr(pty.slave(), &t);
        return ::cfgetospeed(&t);
    }
};

TEST_F(SerialOverPty, BytesPassUnchangedBothWays)
{
    const std::string frame = "A003CF INPUT1 VIDEO\r\x80\xff\x06\r";
    ASSERT_FALSE(control.write(frame));
    EXPECT_EQ(readUntil(pty.master(), [&](const std::string& got) { return got.size() >= frame.size(); }), frame);

    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    ASSERT_EQ(::write(pty.master(), all.data(), all.size()), 256);
    QM5_ASSERT_EVENTUALLY_EQ(received.size(), all.size(), 5000);
    EXPECT_EQ(received, all);
}

TEST_F(SerialOverPty, SettingsAreAppliedToTheOpenPort)
{
    EXPECT_TRUE(control.setLineSettings("9600,N,8"));
    EXPECT_EQ(farSpeed(), B19200);
    ASSERT_FALSE(control.setLineSettings("9600,N,8,1"));
    EXPECT_TRUE(control.isOpen());
    EXPECT_EQ(farSpeed(), B9600) << "applied to the open port at once";
    control.close(); // and to a port opened later
    ASSERT_FALSE(control.setLineSettings("19200,N,8,1"));
    ASSERT_FALSE(control.open());
    EXPECT_EQ(farSpeed(), B19200);
}

TEST_F(SerialOverPty, FarEndClosingClosesThePortWithoutSpinning)
{
    ASSERT_EQ(::write(pty.master(), "80\r", 3), 3);
    QM5_ASSERT_EVENTUALLY_EQ(received, std::string("80\r"), 5000);
    pty.hangUp();
    QM5_ASSERT_EVENTUALLY(!control.isOpen(), 5000);
    const int eventsAtClose = events;
    QTest::qWait(200);
    EXPECT_EQ(events, eventsAtClose) << "a closed port raises no more events";
    EXPECT_TRUE(control.write("C00\r").has_value()) << "a closed port reports the write as failed";
}

// The panel's side of the virtual projector's line: open, send, read one reply.
struct PanelSide {
    int fd;
    explicit PanelSide(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) { }
    ~PanelSide() { ::close(fd); }
    std::string ask(const std::string& frame)
    {
        EXPECT_EQ(::write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
        return readUntil(fd, [](const std::string& got) { return got.find_first_of("\r\x06") != std::string::npos; });
    }
};

TEST(SimPty, AnswersAndSurvivesTheLineBeingClosedAndReopened)
{
    sim::Line line{{1}, sim::LineOptions{.timing = {.countDownMs = 3000, .coolingMs = 5000}}};
    sim::PtyEndpoint endpoint{line};
    std::string error;
    ASSERT_TRUE(endpoint.open(&error)) << error;
    auto peerGone = [&] { return !endpoint.peerPresent(); };
    {
        PanelSide panel(endpoint.slavePath());
        EXPECT_EQ(panel.ask("CR0\r"), "80\r");
        EXPECT_EQ(panel.ask("C00\r"), "\x06");
        ASSERT_EQ(::write(panel.fd, "C00\r", 4), 4); // its answer falls due after the close
    }
    QM5_ASSERT_EVENTUALLY(peerGone() && !line.nextDueMs() && line.framesReceived() == 3, 5000);
    for (int round = 0; round < 3; ++round) {
        PanelSide panel(endpoint.slavePath());
        EXPECT_EQ(panel.ask("CR0\r"), "40\r") << "round " << round << ": a lost answer came through";
        ::close(std::exchange(panel.fd, -1));
        QM5_ASSERT_EVENTUALLY(peerGone(), 5000);
    }
}

} // namespace
} // namespace qm5
