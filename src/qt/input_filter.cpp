#include "qt/input_filter.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include "layout/control_names.hpp"
#include "panel/control_panel.hpp"

namespace qm5 {

namespace {

int modifierBits(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? shiftModifier : 0) | (modifiers & Qt::ControlModifier ? ctrlModifier : 0)
        | (modifiers & Qt::AltModifier ? altModifier : 0);
}

} // namespace

InputFilter::InputFilter(QWidget& window, ControlPanel& panel) : window_(window), panel_(panel)
{
    qApp->installEventFilter(this);
}

InputFilter::~InputFilter()
{
    qApp->removeEventFilter(this);
}

bool InputFilter::belongsHere(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && widget->window() == &window_;
}

bool InputFilter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return belongsHere(watched) && keyPressed(event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        return belongsHere(watched) && mouseEvent(watched, event);
    case QEvent::Hide:
    case QEvent::UngrabMouse:
        if (watched == held_)
            endHold();
        break;
    case QEvent::EnabledChange:
        if (watched == held_ && !held_->isEnabled())
            endHold();
        break;
    default:
        break;
    }
    return false;
}

bool InputFilter::keyPressed(QEvent* event)
{
    const auto* key = static_cast<QKeyEvent*>(event);
    const int modifiers = modifierBits(key->modifiers());
    panel_.keyPressed(key->key(), modifiers);
    // The chord stops here (in the text box Ctrl+K would delete text). Other
    // keys go on, and one that climbs to a parent is seen again there, which
    // the logic ignores as it ignores every key but the chord.
    return isServiceChord(key->key(), modifiers);
}

bool InputFilter::mouseEvent(QObject* watched, QEvent* event)
{
    const QString& name = watched->objectName();
    if (event->type() == QEvent::MouseButtonRelease) {
        // Any mouse button let go ends the hold, wherever the release lands.
        endHold();
        return false;
    }
    if (event->type() == QEvent::MouseButtonDblClick
        && name == QLatin1String(controls::logo.data(), controls::logo.size())) {
        panel_.logoDoubleClicked();
        return true;
    }
    // A press of any mouse button on a held button starts its hold; a
    // double-click counts as a second press. The button itself never sees
    // these presses, so a held button has no click.
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button)
        return false;
    if (held_)
        return watched == held_;
    const std::string control = name.toStdString();
    if (!panel_.pressed(control))
        return false;
    held_ = button;
    heldName_ = control;
    button->setDown(true);
    return true;
}

void InputFilter::endHold()
{
    if (!held_ && heldName_.empty())
        return;
    const std::string name = heldName_;
    forgetHold();
    panel_.released(name);
}

void InputFilter::forgetHold()
{
    if (held_)
        held_->setDown(false);
    held_ = nullptr;
    heldName_.clear();
}

} // namespace qm5
