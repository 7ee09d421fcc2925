// The QSerialPort control over real pseudo-terminals made by the test.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include "qt_support/eventually.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "qt/qt_serial_control.hpp"

namespace qm5 {
namespace {

class Pty {
public:
    Pty()
    {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            return;
        path_ = name;
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
        // The test keeps no slave descriptor, so the control's open is the only one.
        ::close(slave_);
        slave_ = -1;
    }
    ~Pty() { closeMaster(); }
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }
    const std::string& path() const { return path_; }
    int master() const { return master_; }

    // Reads until n bytes came or the deadline passed, keeping Qt's loop turning.
    std::string readMaster(std::size_t n, int deadlineMs = 5000)
    {
        std::string got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < n && timer.elapsed() < deadlineMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
                char buf[512];
                const ssize_t r = ::read(master_, buf, sizeof buf);
                if (r > 0)
                    got.append(buf, static_cast<std::size_t>(r));
            }
        }
        return got;
    }
    void writeMaster(const std::string& bytes) { ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

class SerialOverPty : public ::testing::Test {
protected:
    Pty pty;
    QtSerialControl control{[this](int port) -> std::string {
        if (port == 1)
            return pty.path();
        if (port == 2)
            return "/nonexistent/qm5rsc-test-port";
        return {};
    }};
    std::string received;
    int events = 0;

    void SetUp() override
    {
        ASSERT_FALSE(pty.path().empty());
        control.setOnComm([this] {
            ++events;
            if (control.commEvent() == comEvReceive)
                received += control.input();
        });
        ASSERT_FALSE(control.setSettings("19200,N,8,1"));
        ASSERT_FALSE(control.setCommPort(1));
        const SerialError err = control.setPortOpen(true);
        ASSERT_FALSE(err) << *err;
    }
};

TEST_F(SerialOverPty, WritesExactlyTheFrameBytes)
{
    const std::string frame = "A003CF INPUT1 VIDEO\r";
    ASSERT_FALSE(control.output(frame));
    EXPECT_EQ(pty.readMaster(frame.size()), frame);
    std::string high = "\x80\xff\x06\r";
    ASSERT_FALSE(control.output(high));
    EXPECT_EQ(pty.readMaster(high.size()), high);
}

TEST_F(SerialOverPty, DeliversAllByteValuesAsOneCharacterEach)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    pty.writeMaster(all);
    QM5_ASSERT_EVENTUALLY_EQ(received.size(), all.size(), 5000);
    EXPECT_EQ(received, all);
}

TEST_F(SerialOverPty, SpeedChangeKeepsThePortOpen)
{
    ASSERT_FALSE(control.setSettings("9600,N,8,1"));
    EXPECT_TRUE(control.portOpen());
    EXPECT_EQ(control.port().baudRate(), 9600);
    EXPECT_TRUE(control.setSettings("9600;N;8;1").has_value());
    EXPECT_EQ(control.port().baudRate(), 9600);
}

TEST_F(SerialOverPty, MissingDeviceIsReportedWithItsPath)
{
    control.setPortOpen(false);
    ASSERT_FALSE(control.setCommPort(2));
    const SerialError err = control.setPortOpen(true);
    ASSERT_TRUE(err);
    EXPECT_EQ(*err, "/nonexistent/qm5rsc-test-port: No such file or directory");
    EXPECT_FALSE(control.portOpen());
    EXPECT_TRUE(control.setCommPort(3).has_value());
    EXPECT_EQ(control.commPort(), 2);
}

TEST_F(SerialOverPty, FarEndClosingClosesThePortWithoutSpinning)
{
    pty.writeMaster("80\r");
    QM5_ASSERT_EVENTUALLY_EQ(received, std::string("80\r"), 5000);
    pty.closeMaster();
    QM5_ASSERT_EVENTUALLY(!control.portOpen(), 5000);
    const int eventsAtClose = events;
    QTest::qWait(200);
    EXPECT_EQ(events, eventsAtClose) << "a closed port raises no more events";
    EXPECT_EQ(received, "80\r");
    EXPECT_TRUE(control.output("C00\r").has_value()) << "a closed port reports the write as failed";
}

TEST(LineSettings, ParsesTheSettingsStrings)
{
    struct Case {
        const char* text;
        bool ok;
        qint32 baud;
    };
    const Case cases[] = {
        {"19200,N,8,1", true, 19200}, {"9600,N,8,1", true, 9600}, {"9600,E,7,2", true, 9600},
        {"9600,N,8", false, 0},       {"fast,N,8,1", false, 0},   {"9600,X,8,1", false, 0},
        {"9600,N,9,1", false, 0},     {"9600,N,8,3", false, 0},   {"", false, 0},
    };
    for (const Case& c : cases) {
        LineSettings s;
        EXPECT_EQ(ParseLineSettings(c.text, s), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(s.baud, c.baud) << c.text;
        }
    }
}

} // namespace
} // namespace qm5
