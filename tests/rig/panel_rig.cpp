#include "rig/panel_rig.hpp"

#include <QTest>

#include "layout/control_names.hpp"

namespace qm5::test {

// The window with a hook behind Display::setCaption: the logic calls it
// through its Display as it would the window's own, after the label has its text.
class PanelRig::Window : public PanelWindow {
public:
    Window(SerialControl& serial, Clock& clock, CaptionHook hook) : PanelWindow(serial, clock), hook_(std::move(hook))
    { }
    void setCaption(std::string_view control, const std::string& text) override
    {
        PanelWindow::setCaption(control, text);
        if (hook_)
            hook_(control, text);
    }

private:
    CaptionHook hook_;
};

PanelRig::PanelRig(PortMap map, CaptionHook hook, Wrap wrap)
{
    // Every height change makes the offscreen plugin complain; quieten it.
    static const QtMessageHandler previous = qInstallMessageHandler([](auto type, auto& context, auto& message) {
        if (previous && !message.contains(QLatin1String("propagateSizeHints")))
            previous(type, context, message);
    });
    serial_ = std::make_unique<QtSerialControl>(std::move(map));
    window_ = std::make_unique<Window>(wrap ? wrap(*serial_) : *serial_, clock_, std::move(hook));
    window_->setWarningHandler([this](const QString& text) {
        warnings.push_back(text.toStdString());
        if (duringWarning)
            duringWarning();
    });
    window_->setEndHandler([this] { ++ends; });
    window_->panel().load();
    window_->show();
}

PanelRig::PanelRig(const std::string& port1, const std::string& port2)
    : PanelRig([port1, port2](int port) { return port == 1 ? port1
                                              : port == 2  ? port2
                                                           : ""; })
{ }

PanelRig::~PanelRig() = default;

void PanelRig::click(std::string_view name)
{
    QTest::mouseClick(control(name), Qt::LeftButton);
}

void PanelRig::send(const std::string& text)
{
    qobject_cast<QLineEdit*>(control(controls::commandText))->setText(QString::fromLatin1(text));
    click(controls::sendButton);
}

} // namespace qm5::test
