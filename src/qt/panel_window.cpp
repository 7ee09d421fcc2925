#include "qt/panel_window.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>

#include "layout/layout_table.hpp"
#include "panel/views.hpp"

namespace qm5 {

PanelWindow::PanelWindow(SerialControl& serial, Clock& clock, QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , widgets_(buildWidgets(*this))
    , outerHeight_(outerHeight(View::Full))
{
    warn_ = [this](const QString& text) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("QM5RSC"), text, QMessageBox::Ok, this);
        box.exec();
    };
    end_ = [] { QCoreApplication::quit(); };
    panel_ = std::make_unique<ControlPanel>(*this, serial, clock);
    input_ = std::make_unique<InputFilter>(*this, *panel_);
    wire();
}

PanelWindow::~PanelWindow()
{
    input_.reset();
    panel_.reset();
}

void PanelWindow::wire()
{
    for (const auto& entry : layoutControls) {
        const std::string name(entry.name);
        QWidget* widget = control(name);
        if (entry.kind == ControlKind::Button) {
            // Held buttons have no click action: the input filter drives them.
            connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                [this, name] { panel_->clicked(name); });
        } else if (entry.kind == ControlKind::Option) {
            connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::toggled, this, [this, name](bool on) {
                if (on)
                    panel_->optionChosen(name);
            });
        }
    }
}

QWidget* PanelWindow::control(std::string_view name) const
{
    const auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : it->second;
}

void PanelWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        input_->endHold();
    QWidget::changeEvent(event);
}

void PanelWindow::hideEvent(QHideEvent* event)
{
    input_->endHold();
    QWidget::hideEvent(event);
}

// ---- Display ----

void PanelWindow::setCaption(std::string_view name, const std::string& text)
{
    QWidget* widget = control(name);
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(QString::fromUtf8(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(QString::fromUtf8(text));
}

std::string PanelWindow::caption(std::string_view name) const
{
    QWidget* widget = control(name);
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text().toStdString();
    return {};
}

void PanelWindow::setVisible(std::string_view name, bool visible)
{
    if (QWidget* widget = control(name))
        widget->setVisible(visible);
}

bool PanelWindow::isVisible(std::string_view name) const
{
    // The control's own flag, as the program set it; a shown control inside
    // a hidden frame still counts as shown.
    QWidget* widget = control(name);
    return widget && !widget->isHidden();
}

std::string PanelWindow::text(std::string_view name) const
{
    auto* edit = qobject_cast<QLineEdit*>(control(name));
    if (!edit)
        return {};
    std::string out;
    const QList<uint> codePoints = edit->text().toUcs4();
    out.reserve(static_cast<std::size_t>(codePoints.size()));
    for (const uint cp : codePoints)
        out.push_back(cp < 256 ? static_cast<char>(cp) : '?');
    return out;
}

void PanelWindow::setText(std::string_view name, const std::string& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control(name)))
        edit->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void PanelWindow::checkOption(std::string_view name)
{
    if (auto* option = qobject_cast<QAbstractButton*>(control(name))) {
        const QSignalBlocker block(option);
        option->setChecked(true);
    }
}

int PanelWindow::windowWidth() const
{
    return pixelsToTwips(frameGeometry().width());
}

void PanelWindow::setWindowHeight(int twips)
{
    outerHeight_ = twips;
    setFixedSize(twipsToPixels(mainWindow.clientWidth), std::max(0, twipsToPixels(twips - nonClientHeight)));
}

void PanelWindow::setWindowLeft(double twips)
{
    left_ = twips;
    placeWindow();
}

void PanelWindow::setWindowTop(double twips)
{
    top_ = twips;
    placeWindow();
}

void PanelWindow::placeWindow()
{
    // Centred on a screen shorter than the whole layout, the title bar would
    // sit above the screen, out of reach: the top edge stays on the screen.
    const int top = std::max(twipsToPixels(top_), screen()->availableGeometry().top());
    move(twipsToPixels(left_), top);
}

int PanelWindow::screenWidth() const
{
    return pixelsToTwips(screen()->geometry().width());
}

int PanelWindow::screenHeight() const
{
    return pixelsToTwips(screen()->geometry().height());
}

void PanelWindow::showWarning(const std::string& text)
{
    if (warn_)
        warn_(QString::fromUtf8(text));
}

void PanelWindow::endProgram()
{
    // END has stopped every timer and closed the port; a hold still down is
    // forgotten rather than released, as a release would start the
    // display-clear timer again.
    input_->forgetHold();
    close();
    if (end_)
        end_();
}

} // namespace qm5
