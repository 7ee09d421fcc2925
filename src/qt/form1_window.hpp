#pragma once
// The real window: every control of the inventory as a widget at its fixed
// place, wired to the window logic, and the Display the logic draws through.

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "core/display.hpp"
#include "core/form1.hpp"

class QAbstractButton;

namespace qm5 {

class Form1Window : public QWidget, public Display {
    Q_OBJECT
public:
    using WarningHandler = std::function<void(const QString& text)>;
    using EndHandler = std::function<void()>;

    // Builds the widgets and the logic behind them. Form_Load is left to the
    // caller, so it can run before or after the window is shown.
    Form1Window(SerialControl& comm, TimerFactory& timers, QWidget* parent = nullptr);
    ~Form1Window() override;

    Form1& form() { return *form_; }
    // The widget of a control, by its name; nullptr for an unknown name.
    QWidget* control(std::string_view name) const;

    // Replaces the modal warning box (tests watch warnings without blocking).
    void setWarningHandler(WarningHandler handler) { warn_ = std::move(handler); }
    // Replaces what ending the program does after the window has closed.
    void setEndHandler(EndHandler handler) { end_ = std::move(handler); }

    // Display
    void setCaption(std::string_view control, const std::string& text) override;
    std::string caption(std::string_view control) const override;
    void setVisible(std::string_view control, bool visible) override;
    bool isVisible(std::string_view control) const override;
    std::string text(std::string_view control) const override;
    void setText(std::string_view control, const std::string& text) override;
    void selectOption(std::string_view control) override;
    int windowWidth() const override;
    int windowHeight() const override { return outerHeight_; }
    void setWindowHeight(int twips) override;
    void setWindowLeft(double twips) override;
    void setWindowTop(double twips) override;
    int screenWidth() const override;
    int screenHeight() const override;
    void showWarning(const std::string& text) override;
    void endProgram() override;

    using QWidget::isVisible;
    using QWidget::setVisible;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void placeWindow();
    void buildLines();
    void buildControls();
    void setFocusOrder();
    void wireButton(QAbstractButton* button, const std::string& name);
    void wireOption(QAbstractButton* option, const std::string& name);
    bool filterKeyPress(QObject* watched, QEvent* event);
    bool filterMouse(QObject* watched, QEvent* event);
    void endHold();
    bool belongsHere(QObject* object) const;

    std::map<std::string, QWidget*, std::less<>> controls_;
    std::unique_ptr<Form1> form_;
    WarningHandler warn_;
    EndHandler end_;

    int outerHeight_;
    double left_ = 0;
    double top_ = 0;

    // The held button being pressed, if any; its release ends the hold once.
    QPointer<QAbstractButton> held_;
    std::string heldName_;
};

} // namespace qm5
