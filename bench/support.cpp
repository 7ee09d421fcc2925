#include "support.hpp"

#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <numeric>
#include <poll.h>
#include <unistd.h>

namespace qm5::bench {

namespace {
bool smokeMode = false;

[[noreturn]] void failSetup(const std::string& what)
{
    throw SetupError{what + ": " + std::strerror(errno)};
}

// Port 1 on the pty, port 2 on a device that is not there.
PortMap portsOnPty(const std::string& path)
{
    return [path](int port) -> std::string {
        if (port == 1)
            return path;
        return port == 2 ? "/nonexistent/qm5bench-com2" : "";
    };
}
} // namespace

Stats summarise(std::vector<double> samples)
{
    Stats s;
    s.count = samples.size();
    if (samples.empty())
        return s;
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    s.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(n)));
    s.p99 = samples[std::max<std::size_t>(rank, 1) - 1];
    s.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(n);
    s.max = samples.back();
    return s;
}

bool smoke()
{
    return smokeMode;
}
void setSmoke(bool on)
{
    smokeMode = on;
}

std::unique_ptr<test::RawPty> openPty()
{
    auto pty = std::make_unique<test::RawPty>(true);
    if (!pty->isOpen())
        failSetup("openpty");
    return pty;
}

// ---- FarEnd ----

FarEnd::FarEnd(Responder responder) : pty_(openPty()), fd_(pty_->master()), responder_(std::move(responder))
{
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
        failSetup("pipe2");
    frames_.reserve(8192);
    thread_ = std::thread([this] { run(); });
}

FarEnd::~FarEnd()
{
    const char c = 'x';
    [[maybe_unused]] const auto n = ::write(wake_[1], &c, 1);
    thread_.join();
    ::close(wake_[0]);
    ::close(wake_[1]);
}

std::vector<FarEnd::Frame> FarEnd::frames() const
{
    std::lock_guard lock(mutex_);
    return frames_;
}

FarEnd::Frame FarEnd::lastFrame() const
{
    std::lock_guard lock(mutex_);
    return frames_.empty() ? Frame{0, {}} : frames_.back();
}

void FarEnd::clearFrames()
{
    std::lock_guard lock(mutex_);
    frames_.clear();
    count_ = 0;
}

void FarEnd::run()
{
    char buf[4096];
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        if (!(fds[0].revents & POLLIN)) {
            // Hung up with nothing to read: do not spin.
            ::usleep(1000);
            continue;
        }
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        const std::int64_t at = nowNs();
        if (n <= 0)
            continue;
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] != '\r') {
                partial_.push_back(buf[i]);
                continue;
            }
            std::string frame = std::move(partial_);
            partial_.clear();
            {
                std::lock_guard lock(mutex_);
                frames_.push_back({at, frame});
            }
            ++count_;
            QMetaObject::invokeMethod(
                &notify_,
                [this] {
                    if (waiting_ && count_.load() >= waitingFor_)
                        waiting_->quit();
                },
                Qt::QueuedConnection);
            if (responder_) {
                if (auto reply = responder_(frame)) {
                    if (reply->delayUs > 0)
                        ::usleep(static_cast<useconds_t>(reply->delayUs));
                    lastReplyNs_ = nowNs();
                    writeAll(reply->bytes);
                }
            }
        }
    }
}

void FarEnd::writeAll(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 10);
    }
}

bool FarEnd::waitFrames(std::size_t n, int timeoutMs)
{
    if (count_.load() >= n)
        return true;
    QEventLoop loop;
    waiting_ = &loop;
    waitingFor_ = n;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    if (count_.load() < n)
        loop.exec();
    waiting_ = nullptr;
    return count_.load() >= n;
}

std::uint64_t FarEnd::flood(std::int64_t deadlineNs, const std::function<void()>& sample)
{
    // Every byte value turns up, as on a line full of noise.
    std::string junk(4096, '\0');
    std::uint32_t state = 0x9E3779B9u;
    for (char& c : junk) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state >> 24);
    }
    std::uint64_t taken = 0;
    std::size_t offset = 0;
    std::int64_t nextSample = nowNs();
    for (;;) {
        const std::int64_t now = nowNs();
        if (now >= deadlineNs)
            break;
        if (now >= nextSample) {
            sample();
            nextSample = now + 10'000'000;
        }
        const ssize_t n = ::write(fd_, junk.data() + offset, junk.size() - offset);
        if (n > 0) {
            taken += static_cast<std::uint64_t>(n);
            offset = (offset + static_cast<std::size_t>(n)) % junk.size();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 5);
    }
    return taken;
}

void runLoopForExactly(int ms)
{
    const std::int64_t until = nowNs() + ms * 1'000'000LL;
    test::runLoopUntil([until] { return nowNs() >= until; }, ms + 1000);
}

// ---- the panel ----

Rig::Rig(FarEnd::Responder responder)
    : far(std::move(responder))
    , ui(portsOnPty(far.path()), [this](std::string_view control, const std::string& text) {
        if (onCaption)
            onCaption(control, text);
    })
{
    if (!ui.serial().isOpen())
        throw SetupError{"the panel could not open " + far.path() + ": " + (ui.warnings.empty() ? "" : ui.warnings[0])};
    ui.duringWarning = [this] { std::fprintf(stderr, "panel warning: %s\n", ui.warnings.back().c_str()); };
    runLoopFor(100);
}

QWidget& Rig::control(std::string_view name)
{
    QWidget* w = ui.control(name);
    if (!w)
        throw SetupError{"no control " + std::string(name)};
    return *w;
}

void Rig::rest()
{
    ui.panel().exchange().replyWindowEnded();
    ui.panel().exchange().clearDisplay();
    ui.panel().holds().stop();
}

// ---- output ----

void row(const std::string& figure, const std::string& panel, const std::string& floor, const std::string& measure,
    const std::string& goal, std::optional<bool> met)
{
    std::string verdict = "-";
    if (smoke())
        verdict = "not judged (smoke)";
    else if (met)
        verdict = *met ? "met" : "**missed**";
    std::printf("ROW\t%s\t%s\t%s\t%s\t%s\t%s\n", figure.c_str(), panel.c_str(), floor.c_str(), measure.c_str(),
        goal.c_str(), verdict.c_str());
    std::fflush(stdout);
}

void note(const std::string& text)
{
    std::printf("NOTE\t%s\n", text.c_str());
    std::fflush(stdout);
}

std::string fmt(const char* format, ...)
{
    char buf[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

std::string msPair(const Stats& s)
{
    return fmt("%.2f / %.2f ms", s.median, s.p99);
}

std::string usPair(const Stats& s)
{
    return fmt("%.0f / %.0f µs", s.median, s.p99);
}

} // namespace qm5::bench
