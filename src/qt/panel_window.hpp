#pragma once
// The real window: the widgets of the layout table, wired to the panel's
// logic, and the Display the logic draws through.

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/display.hpp"
#include "panel/control_panel.hpp"
#include "qt/input_filter.hpp"
#include "qt/widget_factory.hpp"

namespace qm5 {

class PanelWindow : public QWidget, public Display {
public:
    using WarningHandler = std::function<void(const QString& text)>;
    using EndHandler = std::function<void()>;

    // Builds the widgets and the logic behind them. load() is left to the
    // caller, so it can run before or after the window is shown.
    PanelWindow(SerialControl& serial, Clock& clock, QWidget* parent = nullptr);
    ~PanelWindow() override;

    ControlPanel& panel() { return *panel_; }
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
    void checkOption(std::string_view control) override;
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
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void wire();
    void placeWindow();

    ControlWidgets widgets_;
    std::unique_ptr<ControlPanel> panel_;
    std::unique_ptr<InputFilter> input_;
    WarningHandler warn_;
    EndHandler end_;

    int outerHeight_;
    double left_ = 0;
    double top_ = 0;
};

} // namespace qm5
