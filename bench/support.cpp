#include "support.hpp"

#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <numeric>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace qm5::bench {

namespace {
bool smokeMode = false;

[[noreturn]] void failSetup(const std::string& what)
{
    throw SetupError{what + ": " + std::strerror(errno)};
}
} // namespace

std::int64_t nowNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

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

// ---- Pty ----

Pty::Pty()
{
    termios raw{};
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B19200);
    ::cfsetospeed(&raw, B19200);
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0)
        failSetup("openpty");
    slavePath_ = name;
    // The master's own side raw too: nothing is echoed or translated.
    termios masterSettings{};
    ::tcgetattr(master_, &masterSettings);
    ::cfmakeraw(&masterSettings);
    ::tcsetattr(master_, TCSANOW, &masterSettings);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

Pty::~Pty()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

// ---- FarEnd ----

FarEnd::FarEnd(int masterFd, QObject* notify) : fd_(masterFd), notify_(notify)
{
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
        failSetup("pipe2");
    frames_.reserve(8192);
}

FarEnd::~FarEnd()
{
    stop();
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void FarEnd::start()
{
    thread_ = std::thread([this] { run(); });
}

void FarEnd::stop()
{
    if (!thread_.joinable())
        return;
    const char c = 'x';
    [[maybe_unused]] const auto n = ::write(wake_[1], &c, 1);
    thread_.join();
}

std::size_t FarEnd::frameCount() const
{
    return count_.load();
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
                notify_,
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

void runLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// ---- panel ----

void HookedWindow::setCaption(std::string_view control, const std::string& text)
{
    Form1Window::setCaption(control, text);
    if (hook_)
        hook_(control, text);
}

PanelRig::PanelRig(FarEnd::Responder responder)
{
    far_ = std::make_unique<FarEnd>(pty_.master(), &notify_);
    far_->setResponder(std::move(responder));
    far_->start();
    const std::string path = pty_.slavePath();
    comm_ = std::make_unique<QtSerialControl>([path](int port) -> std::string {
        if (port == 1)
            return path;
        return port == 2 ? "/nonexistent/qm5bench-com2" : "";
    });
    window_ = std::make_unique<HookedWindow>(*comm_, timers_);
    std::string warning;
    window_->setWarningHandler([&warning](const QString& text) { warning = text.toStdString(); });
    window_->setEndHandler([] {});
    window_->form().Form_Load();
    window_->show();
    if (!comm_->portOpen())
        throw SetupError{"the panel could not open " + path + ": " + warning};
    window_->setWarningHandler(
        [](const QString& text) { std::fprintf(stderr, "panel warning: %s\n", text.toUtf8().constData()); });
    runLoopFor(100);
}

PanelRig::~PanelRig()
{
    window_.reset();
    comm_.reset();
    far_->stop();
}

QWidget& PanelRig::control(const char* name)
{
    QWidget* w = window_->control(name);
    if (!w)
        throw SetupError{std::string("no control ") + name};
    return *w;
}

void PanelRig::rest()
{
    form().Timer2_Timer();
    form().Timer4_Timer();
    form().timer1().stop();
}

// ---- /proc ----

namespace {

long statusField(const std::string& path, const char* field)
{
    std::ifstream in(path);
    std::string line;
    const std::size_t len = std::strlen(field);
    while (std::getline(in, line)) {
        if (line.compare(0, len, field) == 0 && line.size() > len && line[len] == ':')
            return std::strtol(line.c_str() + len + 1, nullptr, 10);
    }
    return -1;
}

std::string procDir(int pid)
{
    return pid ? "/proc/" + std::to_string(pid) : std::string("/proc/self");
}

} // namespace

long rssKiB(int pid)
{
    return statusField(procDir(pid) + "/status", "VmRSS");
}

long peakRssKiB(int pid)
{
    return statusField(procDir(pid) + "/status", "VmHWM");
}

long contextSwitches(int pid)
{
    const std::string tasks = procDir(pid) + "/task";
    DIR* dir = ::opendir(tasks.c_str());
    if (!dir)
        return -1;
    long total = 0;
    while (dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        const std::string status = tasks + "/" + e->d_name + "/status";
        const long v = statusField(status, "voluntary_ctxt_switches");
        const long nv = statusField(status, "nonvoluntary_ctxt_switches");
        if (v >= 0)
            total += v;
        if (nv >= 0)
            total += nv;
    }
    ::closedir(dir);
    return total;
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
