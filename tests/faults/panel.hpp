#pragma once
// The real panel (Form1Window offscreen, Qt timers, QSerialPort) and a far end
// the tests drive byte by byte: a raw pseudo-terminal whose master they hold.

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include "qt/form1_window.hpp"
#include "qt/qt_serial_control.hpp"
#include "qt/qt_timer.hpp"
#include "qt_support/eventually.hpp"

namespace qm5::test {

inline constexpr int waitMs = 5000;

// Runs the event loop as exec() does until done(); QTest's waits sleep 10 ms a
// pass, which would hold a flooded port to one read per pass.
inline bool runLoopUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(1);
    return done() || (loop.exec(), done());
}

struct RawPty {
    int master = -1;
    std::string path;

    RawPty()
    {
        int slave = -1;
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw{}; // nothing translated before the panel sets its own modes
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        ::close(slave);
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        path = name;
    }
    ~RawPty() { hangUp(); }
    void hangUp() { ::close(std::exchange(master, -1)); }
    // Up to max bytes, until EAGAIN, or EIO once nobody has the slave open.
    std::string readAvailable(std::size_t max = SIZE_MAX)
    {
        std::string out;
        char buffer[65536];
        for (ssize_t n; out.size() < max
             && ((n = ::read(master, buffer, std::min(sizeof buffer, max - out.size()))) > 0
                 || (n < 0 && errno == EINTR));)
            out.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        return out;
    }
    // What has come once count bytes have, or timeoutMs has passed.
    std::string readAtLeast(std::size_t count, int timeoutMs)
    {
        std::string out;
        runLoopUntil([&] { return (out += readAvailable()).size() >= count; }, timeoutMs);
        return out;
    }
    // Points link at this terminal, as udev does when an adapter is plugged in.
    void linkAs(const std::string& link) const
    {
        ::unlink(link.c_str());
        ::symlink(path.c_str(), link.c_str());
    }
    bool writeAll(std::string_view bytes)
    {
        return runLoopUntil(
            [&] { // the terminal is full until the panel reads
                bytes.remove_prefix(
                    static_cast<std::size_t>(std::max<ssize_t>(::write(master, bytes.data(), bytes.size()), 0)));
                return bytes.empty();
            },
            waitMs);
    }
};

struct Panel {
    QtTimerFactory timers;
    std::unique_ptr<QtSerialControl> comm;
    std::unique_ptr<Form1Window> window;
    std::vector<std::string> warnings;
    std::function<void()> duringWarning; // where the real modal box would run
    int ends = 0;

    explicit Panel(const std::string& port1, const std::string& port2 = "/nonexistent/qm5-com2")
        : Panel(PortMap([port1, port2](int port) { return port == 1 ? port1
                                                       : port == 2  ? port2
                                                                    : ""; }))
    { }
    explicit Panel(PortMap map)
    {
        // Every height change makes the offscreen plugin complain; quieten it.
        static const QtMessageHandler previous = qInstallMessageHandler([](auto type, auto& context, auto& message) {
            if (previous && !message.contains(QLatin1String("propagateSizeHints")))
                previous(type, context, message);
        });
        comm = std::make_unique<QtSerialControl>(std::move(map));
        window = std::make_unique<Form1Window>(*comm, timers);
        window->setWarningHandler([this](const QString& text) {
            warnings.push_back(text.toStdString());
            if (duringWarning)
                duringWarning();
        });
        window->setEndHandler([this] { ++ends; });
        window->form().Form_Load();
        window->show();
    }
    Form1& form() { return window->form(); }
    QWidget* control(const char* name) const { return window->control(name); }
    std::string label(const char* name) const { return window->caption(name); }
    void click(const char* name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    QLineEdit* text1() const { return qobject_cast<QLineEdit*>(control("Text1")); }
    // Types text, one Latin-1 character a byte, into Text1 and presses SEND.
    void send(const std::string& text)
    {
        text1()->setText(QString::fromLatin1(text));
        click("Command95");
    }
};

} // namespace qm5::test
