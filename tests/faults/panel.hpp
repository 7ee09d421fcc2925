#pragma once
// The real panel under test: Form1Window offscreen, on Qt timers and the real
// QSerialPort behind QtSerialControl. Port numbers map to whatever path the
// test has put in ports at the moment the panel opens the port.

#include <QLineEdit>
#include <QTest>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "qt/form1_window.hpp"
#include "qt/qt_serial_control.hpp"
#include "qt/qt_timer.hpp"

namespace qm5::test {

struct Panel {
    std::map<int, std::string> ports{{1, "/nonexistent/qm5rsc-faults-com1"},
                                     {2, "/nonexistent/qm5rsc-faults-com2"}};
    QtTimerFactory timers;
    std::unique_ptr<QtSerialControl> comm;
    std::unique_ptr<Form1Window> window;
    std::vector<std::string> warnings;
    // Runs inside the warning, where the real program's modal box would be.
    std::function<void()> duringWarning;
    int ends = 0;

    Panel() = default;
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;
    ~Panel()
    {
        window.reset();
        comm.reset();
    }

    void start()
    {
        quietenOffscreenPlugin();
        comm = std::make_unique<QtSerialControl>([this](int port) -> std::string {
            const auto it = ports.find(port);
            return it == ports.end() ? std::string() : it->second;
        });
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
    bool shown(const char* name) const { return window->isVisible(std::string_view(name)); }

    // Types text (one byte a character, Latin-1) into Text1 and presses SEND.
    void send(const std::string& text)
    {
        auto* edit = qobject_cast<QLineEdit*>(control("Text1"));
        edit->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        click("Command95");
    }

    // Picks COM2 through the port panel, as the user would.
    void chooseCom2()
    {
        click("Command33");
        QTest::mouseClick(control("Option2"), Qt::LeftButton);
    }

    // Every height change makes the offscreen plugin say it cannot pass size
    // hints on; a storm of them would bury the test's own output.
    static void quietenOffscreenPlugin()
    {
        static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (message == QLatin1String("This plugin does not support propagateSizeHints()"))
                    return;
                if (previous)
                    previous(type, context, message);
            });
    }
};

} // namespace qm5::test
