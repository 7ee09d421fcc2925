#pragma once
// What the PJLink gateway's benchmarks share: virtual projector processes,
// blocking line clients for a thread of their own, and the event loop run
// beside such a thread.

#include <QEventLoop>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "../support.hpp"
#include "rig/processes.hpp"

namespace qm5::bench {

// A qm5-virtual-projector process, with its reply delay at 0 unless told.
class VirtualProjector : public test::VirtualProjectorProcess {
public:
    explicit VirtualProjector(const QStringList& arguments = {"--delay", "0"})
        : VirtualProjectorProcess(VIRTUAL_PROJECTOR, arguments)
    {
        if (path().empty())
            throw SetupError{"qm5-virtual-projector did not start"};
    }
};

// Whole lines over a blocking TCP socket or terminal.
class LineDevice {
public:
    explicit LineDevice(int fd) : fd_(fd) { }
    ~LineDevice()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    LineDevice(const LineDevice&) = delete;
    LineDevice& operator=(const LineDevice&) = delete;

    static std::unique_ptr<LineDevice> tcp(quint16 port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return nullptr;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return std::make_unique<LineDevice>(fd);
    }
    static std::unique_ptr<LineDevice> terminal(const std::string& path)
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios raw{};
        if (fd < 0 || ::tcgetattr(fd, &raw) != 0)
            throw SetupError{"cannot open " + path};
        ::cfmakeraw(&raw);
        ::tcsetattr(fd, TCSANOW, &raw);
        return std::make_unique<LineDevice>(fd);
    }

    bool send(const std::string& text)
    {
        const std::string line = text + '\r';
        return ::write(fd_, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    }
    // The next line without its CR; nothing once the far end has gone.
    std::optional<std::string> line()
    {
        for (;;) {
            if (const auto end = buffer_.find('\r'); end != std::string::npos) {
                std::string text = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return text;
            }
            if (!fill())
                return std::nullopt;
        }
    }
    std::optional<std::string> ask(const std::string& text) { return send(text) ? line() : std::nullopt; }

    // One HTTP GET on a kept-alive connection: the body of a 200 answer.
    std::optional<std::string> get(const std::string& path)
    {
        const std::string request = "GET " + path + " HTTP/1.1\r\nHost: bench\r\n\r\n";
        if (::write(fd_, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
            return std::nullopt;
        std::size_t end;
        while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
            if (!fill())
                return std::nullopt;
        }
        const std::string head = buffer_.substr(0, end);
        buffer_.erase(0, end + 4);
        const auto length = head.find("Content-Length: ");
        if (!head.starts_with("HTTP/1.1 200") || length == std::string::npos)
            return std::nullopt;
        const std::size_t size = std::stoul(head.substr(length + 16));
        while (buffer_.size() < size) {
            if (!fill())
                return std::nullopt;
        }
        std::string body = buffer_.substr(0, size);
        buffer_.erase(0, size);
        return body;
    }

private:
    bool fill()
    {
        char chunk[4096];
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

    int fd_;
    std::string buffer_;
};

inline double msSince(std::int64_t startNs)
{
    return toMs(nowNs() - startNs);
}

// Runs work on a thread of its own while this thread's event loop serves the gateway.
inline void runBesideTheLoop(const std::function<void()>& work)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done)
            loop.quit();
    });
    poll.start(1);
    loop.exec();
    worker.join();
}

// The figures of the gateway's watch, in watch_bench.cpp.
int benchScrapes();
int benchPollingAndRequests();
int benchPollRound();

} // namespace qm5::bench
