#include "qt/form1_window.hpp"

#include <QApplication>
#include <QFrame>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>

#include "window/inventory.hpp"

// The logo lives in a static library; its resource must be pulled in by hand.
static void initLogoResource()
{
    Q_INIT_RESOURCE(logo);
}

namespace qm5 {

namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor toQColor(Colour rgb)
{
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

QFont toQFont(const FontSpec& entry)
{
    QFont font(fromUtf8(entry.face == FontFace::PGothic ? pGothicFace : gothicFace));
    // A point is 20 twips; sizing in pixels keeps text and twips-based
    // geometry in step whatever the screen's DPI.
    font.setPixelSize(twipsToPixels(entry.points * 20));
    font.setBold(entry.bold);
    return font;
}

QRect toPixels(int left, int top, int width, int height)
{
    // Edges are converted, not sizes, so neighbours that touch in twips
    // still touch in pixels.
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    return {x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y};
}

// A push button whose caption wraps onto further lines when it is too wide,
// as the captions of the original panel do ("DISPLAY CLEAR", the Japanese
// captions of Command34).
class CaptionButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);

        const QRect area = rect().adjusted(2, 0, -2, 0);
        // Laid out again only when the caption, the font or the width has
        // changed: a press repaints the button before its click is handled.
        if (!laidOut_ || caption != laidText_ || area.width() != laidWidth_ || font() != laidFont_)
            layOut(caption, area.width());
        QPointF origin(area.left(), area.top() + std::floor((area.height() - block_) / 2));
        if (isDown())
            origin += QPointF(1, 1);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        layout_.draw(&painter, origin);
    }

private:
    void layOut(const QString& caption, int width)
    {
        laidOut_ = true;
        laidText_ = caption;
        laidWidth_ = width;
        laidFont_ = font();
        layout_.clearLayout();
        layout_.setText(caption);
        layout_.setFont(laidFont_);
        QTextOption textOption(Qt::AlignHCenter);
        textOption.setWrapMode(QTextOption::WordWrap);
        layout_.setTextOption(textOption);
        const QFontMetricsF metrics(laidFont_);
        // Wrapped lines stand one em apart, as on the original panel; the
        // substitute font's own spacing would not fit two lines into the
        // 25-pixel Command34.
        const qreal step = std::min<qreal>(metrics.lineSpacing(), laidFont_.pixelSize());
        int lines = 0;
        layout_.beginLayout();
        for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, lines * step));
            ++lines;
        }
        layout_.endLayout();
        block_ = lines > 1 ? lines * step : metrics.height();
    }

    QTextLayout layout_;
    bool laidOut_ = false;
    QString laidText_;
    int laidWidth_ = -1;
    QFont laidFont_;
    qreal block_ = 0;
};

Qt::Alignment toQt(Alignment align)
{
    switch (align) {
    case Alignment::Center:
        return Qt::AlignHCenter | Qt::AlignTop;
    case Alignment::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case Alignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

int shiftBits(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace

Form1Window::Form1Window(SerialControl& comm, TimerFactory& timers, QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , outerHeight_(form1Window.clientHeight + nonClientHeight)
{
    initLogoResource();
    QFont::insertSubstitution(fromUtf8(gothicFace), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(fromUtf8(pGothicFace), QStringLiteral("IPAPGothic"));

    setObjectName(fromUtf8(form1Window.name));
    setWindowTitle(fromUtf8(form1Window.title));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(form1Window.back));
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(toQFont(form1Window.font));
    setFixedSize(twipsToPixels(form1Window.clientWidth), twipsToPixels(form1Window.clientHeight));

    // Lines first: they are drawn on the window, beneath every control.
    buildLines();
    buildControls();
    setFocusOrder();

    warn_ = [this](const QString& text) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("QM5RSC"), text, QMessageBox::Ok, this);
        box.exec();
    };
    end_ = [] { QCoreApplication::quit(); };

    form_ = std::make_unique<Form1>(*this, comm, timers);
    // Key presses go to whichever control has the focus; the service chord
    // must be seen first, whatever that control is.
    qApp->installEventFilter(this);
}

Form1Window::~Form1Window()
{
    qApp->removeEventFilter(this);
    form_.reset();
}

void Form1Window::buildLines()
{
    for (const auto& entry : lines) {
        auto* line = new QFrame(this);
        line->setObjectName(fromUtf8(entry.name));
        const int half = lineWidthPixels / 2;
        const QPoint from(
            twipsToPixels(std::min(entry.x1, entry.x2)) - half, twipsToPixels(std::min(entry.y1, entry.y2)) - half);
        const QPoint to(twipsToPixels(std::max(entry.x1, entry.x2)) + lineWidthPixels - half - 1,
            twipsToPixels(std::max(entry.y1, entry.y2)) + lineWidthPixels - half - 1);
        line->setGeometry(QRect(from, to));
        QPalette pal = line->palette();
        pal.setColor(QPalette::Window, toQColor(lineColour));
        line->setPalette(pal);
        line->setAutoFillBackground(true);
        line->setAttribute(Qt::WA_TransparentForMouseEvents);
        controls_.emplace(std::string(entry.name), line);
    }
}

void Form1Window::buildControls()
{
    // The inventory lists every container before what it holds.
    for (const auto& entry : controls) {
        QWidget* parent = this;
        if (!entry.container.empty())
            parent = controls_.at(std::string(entry.container));
        const std::string name(entry.name);
        const QString caption = fromUtf8(entry.caption);
        QWidget* widget = nullptr;
        QPalette pal = parent->palette();
        const bool ownBack = entry.back != systemColour;

        switch (entry.kind) {
        case ControlKind::Frame: {
            auto* frame = new QFrame(parent);
            frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
            pal.setColor(QPalette::Window, toQColor(entry.back));
            frame->setAutoFillBackground(true);
            widget = frame;
            break;
        }
        case ControlKind::Button: {
            auto* button = new CaptionButton(caption, parent);
            button->setAutoDefault(false);
            pal.setColor(
                QPalette::Button, ownBack ? toQColor(entry.back) : QApplication::palette().color(QPalette::Button));
            pal.setColor(QPalette::ButtonText, Qt::black);
            wireButton(button, name);
            widget = button;
            break;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(toQt(entry.align));
            label->setWordWrap(true);
            if (entry.border) {
                label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                label->setLineWidth(1);
            }
            pal.setColor(QPalette::Window, toQColor(entry.back));
            pal.setColor(QPalette::WindowText, toQColor(entry.fore));
            label->setAutoFillBackground(true);
            widget = label;
            break;
        }
        case ControlKind::Option: {
            auto* option = new QRadioButton(caption, parent);
            option->setChecked(entry.selected);
            pal.setColor(QPalette::Window, toQColor(entry.back));
            pal.setColor(QPalette::WindowText, Qt::black);
            option->setAutoFillBackground(true);
            wireOption(option, name);
            widget = option;
            break;
        }
        case ControlKind::TextBox: {
            auto* edit = new QLineEdit(parent);
            edit->setMaxLength(std::numeric_limits<int>::max());
            pal.setColor(QPalette::Base, QApplication::palette().color(QPalette::Base));
            widget = edit;
            break;
        }
        case ControlKind::Image: {
            auto* image = new QLabel(parent);
            image->setPixmap(QPixmap(QStringLiteral(":/qm5/logo.png")));
            image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            image->setScaledContents(false);
            widget = image;
            break;
        }
        }

        widget->setObjectName(fromUtf8(entry.name));
        widget->setPalette(pal);
        if (entry.font.face != FontFace::Window)
            widget->setFont(toQFont(entry.font));
        widget->setGeometry(toPixels(entry.left, entry.top, entry.width, entry.height));
        if (!entry.visible)
            widget->hide();
        controls_.emplace(name, widget);
    }
    // Frames lie above the controls placed on the window: the port panel,
    // when shown, covers the "COM" button.
    for (const auto& entry : controls) {
        if (entry.kind == ControlKind::Frame)
            controls_.at(std::string(entry.name))->raise();
    }
}

void Form1Window::setFocusOrder()
{
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        QWidget::setTabOrder(controls_.at(std::string(focusOrder[i - 1])), controls_.at(std::string(focusOrder[i])));
}

void Form1Window::wireButton(QAbstractButton* button, const std::string& name)
{
    // Held buttons have no click action: their press and release come from
    // the mouse (eventFilter), so the space bar on them sends nothing.
    void (Form1::*own)() = nullptr;
    if (name == "Command16")
        own = &Form1::Command16_Click;
    else if (name == "Command33")
        own = &Form1::Command33_Click;
    else if (name == "Command34")
        own = &Form1::Command34_Click;
    else if (name == "Command95")
        own = &Form1::Command95_Click;
    else if (name == "Command96")
        own = &Form1::Command96_Click;

    if (own)
        connect(button, &QAbstractButton::clicked, this, [this, own] { (form_.get()->*own)(); });
    else
        connect(button, &QAbstractButton::clicked, this, [this, name] { form_->Command_Click(name); });
}

void Form1Window::wireOption(QAbstractButton* option, const std::string& name)
{
    connect(option, &QAbstractButton::toggled, this, [this, name](bool on) {
        if (!on)
            return;
        if (name == "Option1")
            form_->Option1_Click();
        else if (name == "Option2")
            form_->Option2_Click();
        else
            form_->Option_Click(name);
    });
}

QWidget* Form1Window::control(std::string_view name) const
{
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

// ---- events ----

bool Form1Window::belongsHere(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && widget->window() == this;
}

bool Form1Window::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return filterKeyPress(watched, event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        return filterMouse(watched, event);
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

bool Form1Window::filterKeyPress(QObject* watched, QEvent* event)
{
    if (!belongsHere(watched))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int shift = shiftBits(key->modifiers());
    form_->Form_KeyDown(key->key(), shift);
    // The chord stops here (in Text1 Ctrl+K would delete text). Other keys
    // go on, and one that climbs to a parent is seen again there, which the
    // logic ignores as it ignores every key but the chord.
    return key->key() == Qt::Key_K && (shift & 7) == 2;
}

bool Form1Window::filterMouse(QObject* watched, QEvent* event)
{
    if (!belongsHere(watched))
        return false;
    const QString& name = watched->objectName();

    if (event->type() == QEvent::MouseButtonRelease) {
        // Any button let go ends the hold, wherever the release lands.
        endHold();
        return false;
    }
    if (event->type() == QEvent::MouseButtonDblClick && name == QLatin1String("Image1")) {
        form_->Image1_DblClick();
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
    if (!form_->Command_MouseDown(control))
        return false;
    held_ = button;
    heldName_ = control;
    button->setDown(true);
    return true;
}

void Form1Window::endHold()
{
    if (!held_ && heldName_.empty())
        return;
    QPointer<QAbstractButton> button = held_;
    const std::string name = std::move(heldName_);
    held_ = nullptr;
    heldName_.clear();
    if (button)
        button->setDown(false);
    form_->Command_MouseUp(name);
}

void Form1Window::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        endHold();
    QWidget::changeEvent(event);
}

void Form1Window::hideEvent(QHideEvent* event)
{
    endHold();
    QWidget::hideEvent(event);
}

// ---- Display ----

void Form1Window::setCaption(std::string_view name, const std::string& text)
{
    QWidget* widget = control(name);
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(QString::fromUtf8(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(QString::fromUtf8(text));
}

std::string Form1Window::caption(std::string_view name) const
{
    QWidget* widget = control(name);
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text().toStdString();
    return {};
}

void Form1Window::setVisible(std::string_view name, bool visible)
{
    if (QWidget* widget = control(name))
        widget->setVisible(visible);
}

bool Form1Window::isVisible(std::string_view name) const
{
    // The control's own flag, as the program set it; a shown control inside
    // a hidden frame still counts as shown.
    QWidget* widget = control(name);
    return widget && !widget->isHidden();
}

std::string Form1Window::text(std::string_view name) const
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

void Form1Window::setText(std::string_view name, const std::string& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control(name)))
        edit->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void Form1Window::selectOption(std::string_view name)
{
    if (auto* option = qobject_cast<QAbstractButton*>(control(name))) {
        const QSignalBlocker block(option);
        option->setChecked(true);
    }
}

int Form1Window::windowWidth() const
{
    return pixelsToTwips(frameGeometry().width());
}

void Form1Window::setWindowHeight(int twips)
{
    outerHeight_ = twips;
    setFixedSize(twipsToPixels(form1Window.clientWidth), std::max(0, twipsToPixels(twips - nonClientHeight)));
}

void Form1Window::setWindowLeft(double twips)
{
    left_ = twips;
    placeWindow();
}

void Form1Window::setWindowTop(double twips)
{
    top_ = twips;
    placeWindow();
}

void Form1Window::placeWindow()
{
    // Centred on a screen shorter than the whole layout, the title bar would
    // sit above the screen, out of reach: the top edge stays on the screen.
    const int top = std::max(twipsToPixels(top_), screen()->availableGeometry().top());
    move(twipsToPixels(left_), top);
}

int Form1Window::screenWidth() const
{
    return pixelsToTwips(screen()->geometry().width());
}

int Form1Window::screenHeight() const
{
    return pixelsToTwips(screen()->geometry().height());
}

void Form1Window::showWarning(const std::string& text)
{
    if (warn_)
        warn_(QString::fromUtf8(text));
}

void Form1Window::endProgram()
{
    // END has stopped every timer and closed the port; a hold still down is
    // forgotten here rather than released, as a release would start the
    // display-clear timer again.
    if (held_)
        held_->setDown(false);
    held_ = nullptr;
    heldName_.clear();
    close();
    if (end_)
        end_();
}

} // namespace qm5
