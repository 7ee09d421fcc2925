// Renders the panel to a PNG in its full view, exactly as a user reaches it
// (the service chord, then a double-click on the logo), for the
// documentation and for checking the look by eye.
//
//   qm5screenshot OUT.png

#include <QApplication>
#include <QPixmap>
#include <QTest>

#include <cstdio>

#include "console/qt_timer.hpp"
#include "core/serial_control.hpp"
#include "layout/control_names.hpp"
#include "qt/panel_window.hpp"

namespace {

// A line that is always there and never answers: enough to draw the panel.
class SilentLine : public qm5::SerialControl {
public:
    qm5::SerialError setPortNumber(int port) override
    {
        port_ = port;
        return {};
    }
    int portNumber() const override { return port_; }
    qm5::SerialError setLineSettings(const std::string&) override { return {}; }
    bool isOpen() const override { return open_; }
    qm5::SerialError open() override
    {
        open_ = true;
        return {};
    }
    void close() override { open_ = false; }
    qm5::SerialError write(const std::string&) override { return {}; }
    std::string readAll() override { return {}; }
    std::size_t unsentBytes() const override { return 0; }

private:
    int port_ = 1;
    bool open_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: qm5screenshot OUT.png\n");
        return 2;
    }

    SilentLine line;
    qm5::QtClock clock;
    qm5::PanelWindow window(line, clock);
    window.panel().load();
    window.show();
    app.processEvents();
    QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier);
    QTest::mouseDClick(window.control(qm5::controls::logo), Qt::LeftButton);
    app.processEvents();

    if (!window.grab().save(args.at(1), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}
