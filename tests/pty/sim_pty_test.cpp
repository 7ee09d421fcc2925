#include "line.hpp"
#include "path_link.hpp"
#include "pty_endpoint.hpp"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace qm5::sim {
namespace {

constexpr int kTimeoutMs = 5000;

// Runs the event loop until done() holds or the time is up.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = kTimeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QTimer wake;  // so the wait below never outlasts the deadline
    wake.start(50);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The panel's side of the line, opened with plain POSIX calls.
class PanelSide {
public:
    explicit PanelSide(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return;
        termios settings{};
        ::tcgetattr(fd_, &settings);
        ::cfmakeraw(&settings);
        ::tcsetattr(fd_, TCSANOW, &settings);
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { drain(); });
    }
    ~PanelSide() { close(); }

    bool isOpen() const { return fd_ >= 0; }

    void close()
    {
        notifier_.reset();
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    bool send(const std::string& frame)
    {
        return ::write(fd_, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size());
    }

    // Everything received until the first reply terminator (CR, or an ACK).
    std::string awaitReply()
    {
        waitUntil([this] {
            drain();
            return received_.find_first_of("\r\x06\x15") != std::string::npos;
        });
        std::string reply;
        reply.swap(received_);
        return reply;
    }

private:
    void drain()
    {
        char buffer[256];
        ssize_t n;
        while (fd_ >= 0 && (n = ::read(fd_, buffer, sizeof buffer)) > 0)
            received_.append(buffer, static_cast<std::size_t>(n));
    }

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::string received_;
};

class SimPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(endpoint.open(&error)) << error;
        ASSERT_FALSE(endpoint.slavePath().empty());
    }

    Line line{{1}, LineOptions{.timing = {.countDownMs = 3000, .coolingMs = 5000}}};
    PtyEndpoint endpoint{line};
};

TEST_F(SimPty, AnswersQueriesAndCommands)
{
    PanelSide panel(endpoint.slavePath());
    ASSERT_TRUE(panel.isOpen());
    ASSERT_TRUE(panel.send("CR0\r"));
    EXPECT_EQ(panel.awaitReply(), "80\r");
    ASSERT_TRUE(panel.send("C00\r"));
    EXPECT_EQ(panel.awaitReply(), "\x06");
    ASSERT_TRUE(panel.send("CR0\r"));
    EXPECT_EQ(panel.awaitReply(), "40\r");
}

TEST_F(SimPty, SurvivesThePortBeingClosedAndReopened)
{
    for (int round = 0; round < 3; ++round) {
        PanelSide panel(endpoint.slavePath());
        ASSERT_TRUE(panel.isOpen());
        ASSERT_TRUE(panel.send("CR1\r"));
        EXPECT_EQ(panel.awaitReply(), "1\r") << "round " << round;
        panel.close();
        ASSERT_TRUE(waitUntil([this] { return !endpoint.peerPresent(); })) << "round " << round;
    }
}

// An answer that falls due after the panel closed the port must not be waiting
// for it when it opens the port again.
TEST_F(SimPty, RepliesToAClosedPortAreLost)
{
    {
        PanelSide panel(endpoint.slavePath());
        ASSERT_TRUE(panel.send("C00\r"));
    }
    ASSERT_TRUE(waitUntil([this] {
        return line.projector(1)->power() != PowerState::Standby && !line.nextDueMs()
               && !endpoint.peerPresent();
    }));

    PanelSide panel(endpoint.slavePath());
    ASSERT_TRUE(panel.send("CR0\r"));
    EXPECT_EQ(panel.awaitReply(), "40\r");
}

TEST_F(SimPty, ReachableThroughALink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string linkPath = dir.filePath("projector").toStdString();
    {
        PathLink link;
        std::string error;
        ASSERT_TRUE(link.create(endpoint.slavePath(), linkPath, &error)) << error;
        PanelSide panel(linkPath);
        ASSERT_TRUE(panel.send("CR1\r"));
        EXPECT_EQ(panel.awaitReply(), "1\r");
    }
    EXPECT_NE(::access(linkPath.c_str(), F_OK), 0) << "link left behind";
}

TEST(SimPathLink, LeavesOtherFilesAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string filePath = dir.filePath("busy").toStdString();
    const int fd = ::open(filePath.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);

    PathLink link;
    std::string error;
    EXPECT_FALSE(link.create("/dev/null", filePath, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(::access(filePath.c_str(), F_OK), 0);

    // A stale link from an earlier run is replaced.
    const std::string stale = dir.filePath("stale").toStdString();
    ASSERT_EQ(::symlink("/nonexistent", stale.c_str()), 0);
    EXPECT_TRUE(link.create("/dev/null", stale, &error)) << error;
}

} // namespace
} // namespace qm5::sim
