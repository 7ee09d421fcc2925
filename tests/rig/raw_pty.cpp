#include "rig/raw_pty.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

#include "rig/eventually.hpp"

namespace qm5::test {

RawPty::RawPty(bool keepSlaveOpen)
{
    termios raw{};
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B19200);
    ::cfsetospeed(&raw, B19200);
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    path_ = name;
    // Nothing echoed or translated on the master's side either.
    termios masterSettings{};
    ::tcgetattr(master_, &masterSettings);
    ::cfmakeraw(&masterSettings);
    ::tcsetattr(master_, TCSANOW, &masterSettings);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    if (!keepSlaveOpen)
        ::close(std::exchange(slave_, -1));
}

RawPty::~RawPty()
{
    if (slave_ >= 0)
        ::close(slave_);
    hangUp();
}

void RawPty::hangUp()
{
    if (master_ >= 0)
        ::close(std::exchange(master_, -1));
}

void RawPty::linkAs(const std::string& link) const
{
    ::unlink(link.c_str());
    [[maybe_unused]] const int ok = ::symlink(path_.c_str(), link.c_str());
}

std::string RawPty::readAvailable(std::size_t max)
{
    std::string out;
    char buffer[65536];
    while (out.size() < max) {
        const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, max - out.size()));
        if (n > 0)
            out.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    return out;
}

std::string RawPty::readAtLeast(std::size_t count, int timeoutMs)
{
    std::string out;
    runLoopUntil([&] { return (out += readAvailable()).size() >= count; }, timeoutMs);
    return out;
}

bool RawPty::writeAll(std::string_view bytes)
{
    return runLoopUntil(
        [&] { // the terminal is full until the panel reads
            const ssize_t n = ::write(master_, bytes.data(), bytes.size());
            bytes.remove_prefix(static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
            return bytes.empty();
        },
        waitMs);
}

} // namespace qm5::test
