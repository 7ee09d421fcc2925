#include "qt/widget_factory.hpp"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>

#include <algorithm>
#include <limits>

#include "layout/layout_table.hpp"
#include "qt/caption_button.hpp"

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

void buildLines(QWidget& window, ControlWidgets& widgets)
{
    for (const auto& entry : lines) {
        auto* line = new QFrame(&window);
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
        widgets.emplace(std::string(entry.name), line);
    }
}

QWidget* buildControl(const ControlSpec& entry, QWidget* parent, QPalette& pal)
{
    const QString caption = fromUtf8(entry.caption);
    switch (entry.kind) {
    case ControlKind::Frame: {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        pal.setColor(QPalette::Window, toQColor(entry.back));
        frame->setAutoFillBackground(true);
        return frame;
    }
    case ControlKind::Button: {
        auto* button = new CaptionButton(caption, parent);
        button->setAutoDefault(false);
        pal.setColor(QPalette::Button,
            entry.back != systemColour ? toQColor(entry.back) : QApplication::palette().color(QPalette::Button));
        pal.setColor(QPalette::ButtonText, Qt::black);
        return button;
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
        return label;
    }
    case ControlKind::Option: {
        auto* option = new QRadioButton(caption, parent);
        option->setChecked(entry.selected);
        pal.setColor(QPalette::Window, toQColor(entry.back));
        pal.setColor(QPalette::WindowText, Qt::black);
        option->setAutoFillBackground(true);
        return option;
    }
    case ControlKind::TextBox: {
        auto* edit = new QLineEdit(parent);
        edit->setMaxLength(std::numeric_limits<int>::max());
        pal.setColor(QPalette::Base, QApplication::palette().color(QPalette::Base));
        return edit;
    }
    case ControlKind::Image:
        break;
    }
    auto* image = new QLabel(parent);
    image->setPixmap(QPixmap(QStringLiteral(":/qm5/logo.png")));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return image;
}

} // namespace

ControlWidgets buildWidgets(QWidget& window)
{
    initLogoResource();
    QFont::insertSubstitution(fromUtf8(gothicFace), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(fromUtf8(pGothicFace), QStringLiteral("IPAPGothic"));

    window.setObjectName(fromUtf8(mainWindow.name));
    window.setWindowTitle(fromUtf8(mainWindow.title));
    QPalette windowPalette = window.palette();
    windowPalette.setColor(QPalette::Window, toQColor(mainWindow.back));
    window.setPalette(windowPalette);
    window.setAutoFillBackground(true);
    window.setFont(toQFont(mainWindow.font));
    window.setFixedSize(twipsToPixels(mainWindow.clientWidth), twipsToPixels(mainWindow.clientHeight));

    ControlWidgets widgets;
    // Lines first: they are drawn on the window, beneath every control.
    buildLines(window, widgets);
    // The table lists every container before what it holds.
    for (const auto& entry : layoutControls) {
        QWidget* parent = entry.container.empty() ? &window : widgets.find(entry.container)->second;
        QPalette pal = parent->palette();
        QWidget* widget = buildControl(entry, parent, pal);
        widget->setObjectName(fromUtf8(entry.name));
        widget->setPalette(pal);
        if (entry.font.face != FontFace::Window)
            widget->setFont(toQFont(entry.font));
        widget->setGeometry(toPixels(entry.left, entry.top, entry.width, entry.height));
        if (!entry.visible)
            widget->hide();
        widgets.emplace(std::string(entry.name), widget);
    }
    // Frames lie above the controls placed on the window: the port panel,
    // when shown, covers the "COM" button.
    for (const auto& entry : layoutControls) {
        if (entry.kind == ControlKind::Frame)
            widgets.find(entry.name)->second->raise();
    }
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        QWidget::setTabOrder(widgets.find(focusOrder[i - 1])->second, widgets.find(focusOrder[i])->second);
    return widgets;
}

} // namespace qm5
