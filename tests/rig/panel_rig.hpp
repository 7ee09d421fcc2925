#pragma once
// The real panel as the program runs it (PanelWindow, Qt timers, QSerialPort
// on the given port map), loaded and shown offscreen, with its warnings and
// its END recorded instead of shown and obeyed.

#include <QLineEdit>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/qt_serial_control.hpp"
#include "console/qt_timer.hpp"
#include "link/port_map.hpp"
#include "qt/panel_window.hpp"

namespace qm5::test {

class PanelRig {
public:
    using CaptionHook = std::function<void(std::string_view control, const std::string& text)>;
    // Puts something between the panel and its port (the soak tool watches the line there).
    using Wrap = std::function<SerialControl&(QtSerialControl& port)>;

    explicit PanelRig(PortMap map, CaptionHook hook = {}, Wrap wrap = {});
    // Port 1 and port 2 on these devices.
    explicit PanelRig(const std::string& port1, const std::string& port2 = "/nonexistent/qm5rsc-com2");
    ~PanelRig();

    PanelWindow& window() { return *window_; }
    ControlPanel& panel() { return window_->panel(); }
    QtSerialControl& serial() { return *serial_; }
    QWidget* control(std::string_view name) const { return window_->control(name); }
    std::string caption(std::string_view name) const { return window_->caption(name); }
    void click(std::string_view name);
    // Types text, one Latin-1 character a byte, into the command line and presses SEND.
    void send(const std::string& text);

    std::vector<std::string> warnings;
    std::function<void()> duringWarning; // where the real modal box would run
    int ends = 0;

private:
    class Window;
    QtClock clock_;
    std::unique_ptr<QtSerialControl> serial_;
    std::unique_ptr<PanelWindow> window_;
};

} // namespace qm5::test
