#include "pty_endpoint.hpp"

#include "line.hpp"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace qm5::sim {

namespace {

bool fail(std::string* error, const char* what)
{
    if (error)
        *error = std::string(what) + ": " + std::strerror(errno);
    return false;
}

} // namespace

PtyEndpoint::PtyEndpoint(Line& line) : line_(line)
{
    // One clock for the endpoint's whole life: the projectors' power sequences
    // must not see time jump back when the endpoint is reopened.
    clock_.start();
    dueTimer_.setSingleShot(true);
    dueTimer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&dueTimer_, &QTimer::timeout, &dueTimer_, [this] { pump(); });
    peerTimer_.setInterval(peerPollMs);
    QObject::connect(&peerTimer_, &QTimer::timeout, &peerTimer_, [this] { checkPeer(); });
}

PtyEndpoint::~PtyEndpoint()
{
    close();
}

bool PtyEndpoint::open(std::string* error)
{
    close();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return fail(error, "posix_openpt");
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        const bool result = fail(error, "pseudo-terminal setup");
        ::close(master);
        return result;
    }
    // Raw line settings belong to the slave side; they stay when it is
    // closed. Opening and closing it once also puts the master into the same
    // hung-up state it shows whenever the panel has closed the port.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        const bool result = fail(error, name);
        ::close(master);
        return result;
    }
    termios settings{};
    ::tcgetattr(slave, &settings);
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B19200);
    ::cfsetospeed(&settings, B19200);
    ::tcsetattr(slave, TCSANOW, &settings);
    ::close(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    master_ = master;
    slavePath_ = name;
    line_.resetInput();
    line_.dropPending();
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { onReadable(); });
    peerLeft();
    checkPeer();
    pump();
    return true;
}

void PtyEndpoint::close()
{
    if (master_ < 0)
        return;
    notifier_.reset();
    dueTimer_.stop();
    peerTimer_.stop();
    ::close(master_);
    master_ = -1;
    slavePath_.clear();
    peerPresent_ = false;
    backlog_.clear();
    line_.resetInput();
    line_.dropPending();
}

bool PtyEndpoint::hungUp() const
{
    pollfd probe{master_, POLLIN, 0};
    return ::poll(&probe, 1, 0) > 0 && (probe.revents & POLLHUP);
}

bool PtyEndpoint::readInput()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            line_.receive(std::string_view(buffer, static_cast<std::size_t>(n)), nowMs());
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EIO (or end of file) means the last opener of the slave has closed it.
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

void PtyEndpoint::onReadable()
{
    if (!readInput())
        peerLeft();
    pump();
}

void PtyEndpoint::peerLeft()
{
    peerPresent_ = false;
    notifier_->setEnabled(false);
    // Frames written just before the close are still carried out; whatever
    // the panel did not read must not greet its next open.
    readInput();
    ::tcflush(master_, TCIOFLUSH);
    backlog_.clear();
    line_.resetInput();
    peerTimer_.start();
}

void PtyEndpoint::checkPeer()
{
    if (master_ < 0)
        return;
    pollfd probe{master_, POLLIN, 0};
    if (::poll(&probe, 1, 0) < 0)
        return;
    // A panel may open the port, write and close it again between two checks:
    // its frames are still carried out.
    if (probe.revents & POLLIN)
        readInput();
    if (!(probe.revents & POLLHUP)) {
        peerPresent_ = true;
        peerTimer_.stop();
        notifier_->setEnabled(true);
    }
    pump();
}

void PtyEndpoint::pump()
{
    if (master_ < 0)
        return;
    const std::int64_t now = nowMs();
    std::string due = line_.takeDue(now);
    if (peerPresent_ && hungUp())
        peerLeft();
    if (peerPresent_ && !due.empty()) {
        const std::size_t room = maxBacklog - std::min(maxBacklog, backlog_.size());
        due.resize(std::min(due.size(), room));
        backlog_ += due;
    }
    writeBacklog();

    std::optional<std::int64_t> next = line_.nextDueMs();
    if (!backlog_.empty())
        next = std::min(next.value_or(now + writeRetryMs), now + writeRetryMs);
    if (next)
        dueTimer_.start(static_cast<int>(std::clamp<std::int64_t>(*next - now, 0, 60'000)));
    else
        dueTimer_.stop();
}

void PtyEndpoint::writeBacklog()
{
    std::size_t written = 0;
    while (written < backlog_.size()) {
        const ssize_t n = ::write(master_, backlog_.data() + written, backlog_.size() - written);
        if (n > 0)
            written += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    backlog_.erase(0, written);
}

} // namespace qm5::sim
