#pragma once
// The mouse and key events the panel acts on, seen before any widget gets
// them: the press and release of a held button (so the space bar on it does
// nothing), the logo's double-click and the service chord, whichever control
// has the focus. A hold also ends when its button is hidden or disabled or
// loses the mouse grab, and when the window loses activation or hides.

#include <QAbstractButton>
#include <QObject>
#include <QPointer>

#include <string>

namespace qm5 {

class ControlPanel;

class InputFilter : public QObject {
public:
    // Watches every event of the application that reaches a widget of window.
    InputFilter(QWidget& window, ControlPanel& panel);
    ~InputFilter() override;

    // Releases the held button, if any, exactly once.
    void endHold();
    // Lets go of a held button without a release (the program is ending).
    void forgetHold();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool belongsHere(QObject* object) const;
    bool keyPressed(QEvent* event);
    bool mouseEvent(QObject* watched, QEvent* event);

    QWidget& window_;
    ControlPanel& panel_;
    QPointer<QAbstractButton> held_;
    std::string heldName_;
};

} // namespace qm5
