#include "raw_pty.hpp"

#include "run_loop.hpp"

#include <QDeadlineTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace qm5::test {

bool RawPty::open(std::string* error)
{
    close();
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        if (error)
            *error = std::string("openpty: ") + std::strerror(errno);
        return false;
    }
    // Raw on the slave side, so no byte is translated or swallowed before the
    // panel opens the port and sets its own modes.
    termios settings{};
    ::tcgetattr(slave, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(slave, TCSANOW, &settings);
    ::close(slave);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    master_ = master;
    slavePath_ = name;
    return true;
}

void RawPty::close()
{
    if (master_ < 0)
        return;
    ::close(master_);
    master_ = -1;
}

std::string RawPty::readAvailable()
{
    std::string out;
    if (master_ < 0)
        return out;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EAGAIN: nothing more for now; EIO: nobody has the slave open.
        return out;
    }
}

std::string RawPty::readAtLeast(std::size_t count, int timeoutMs)
{
    std::string out;
    runLoopUntil(
        [&] {
            out += readAvailable();
            return out.size() >= count;
        },
        timeoutMs);
    return out;
}

bool RawPty::writeAll(std::string_view bytes, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!bytes.empty()) {
        const ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        // The terminal is full until the panel reads.
        const int left = static_cast<int>(deadline.remainingTime());
        if (left <= 0)
            return false;
        runLoopUntil([] { return false; }, std::min(left, 2));
    }
    return true;
}

} // namespace qm5::test
