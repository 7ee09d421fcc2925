// The real window as it stands after start-up: every control built from the
// inventory at its place, the start state, the focus order, and captions that
// can be read.

#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <set>
#include <string>

#include "window/inventory.hpp"
#include "window_fixture.hpp"

namespace qm5::test {
namespace {

using WindowLayout = WindowFixture;

bool hasClass(QWidget* w, ControlKind kind)
{
    switch (kind) {
    case ControlKind::Frame:
        return qobject_cast<QFrame*>(w) && !qobject_cast<QLabel*>(w);
    case ControlKind::Button:
        return qobject_cast<QPushButton*>(w) != nullptr;
    case ControlKind::Label:
    case ControlKind::Image:
        return qobject_cast<QLabel*>(w) != nullptr;
    case ControlKind::Option:
        return qobject_cast<QRadioButton*>(w) != nullptr;
    case ControlKind::TextBox:
        return qobject_cast<QLineEdit*>(w) != nullptr;
    }
    return false;
}

TEST_F(WindowLayout, EveryControlStandsAtItsPlace)
{
    for (const auto& spec : controls) {
        SCOPED_TRACE(std::string(spec.name));
        QWidget* w = window->control(spec.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName().toStdString(), spec.name);
        EXPECT_TRUE(hasClass(w, spec.kind));
        const QWidget* expectedParent = spec.container.empty() ? window.get() : window->control(spec.container);
        EXPECT_EQ(w->parentWidget(), expectedParent);
        // Within a pixel of the twips position, whatever the rounding.
        const QPoint at = w->mapTo(window.get(), QPoint(0, 0));
        const Point origin = clientOrigin(spec);
        EXPECT_NEAR(at.x(), origin.x / 15.0, 1.0);
        EXPECT_NEAR(at.y(), origin.y / 15.0, 1.0);
        EXPECT_NEAR(w->width(), spec.width / 15.0, 1.0);
        EXPECT_NEAR(w->height(), spec.height / 15.0, 1.0);
        if (spec.kind == ControlKind::Button || spec.kind == ControlKind::Label || spec.kind == ControlKind::Option) {
            EXPECT_EQ(w->property("text").toString().toStdString(), spec.caption);
        }
    }
    for (const auto& spec : lines) {
        QWidget* w = window->control(spec.name);
        ASSERT_NE(w, nullptr) << spec.name;
        EXPECT_EQ(w->palette().color(QPalette::Window), QColor(0x80, 0x80, 0xFF)) << spec.name;
        EXPECT_EQ(std::min(w->width(), w->height()), 2) << spec.name;
    }
    EXPECT_EQ(window->control("Nonexistent"), nullptr);

    // The port panel, when shown, lies over the "COM" button.
    QWidget* com = widget("Command33");
    const QPoint comCentre = com->geometry().center();
    EXPECT_EQ(window->childAt(comCentre), com);
    window->setVisible("Frame8", true);
    EXPECT_TRUE(widget("Frame8")->isAncestorOf(window->childAt(comCentre)));
}

TEST_F(WindowLayout, ColoursAndFonts)
{
    struct Case {
        const char* name;
        QPalette::ColorRole role;
        QColor colour;
        const char* family;
        int pixelSize;
        bool bold;
    };
    const Case cases[] = {
        {"Command6", QPalette::Button, QColor(0xFF, 0x80, 0x00), "ＭＳ ゴシック", 12, false},
        {"Command44", QPalette::Button, QColor(0xC0, 0xFF, 0xFF), "ＭＳ ゴシック", 11, true},
        {"Command59", QPalette::Button, QColor(0xFF, 0xE0, 0xC0), "ＭＳ Ｐゴシック", 10, false},
        {"Command99", QPalette::Button, QColor(0xFF, 0xE0, 0xC0), "ＭＳ ゴシック", 12, true}, // window font
        {"Label1", QPalette::WindowText, QColor(0xC0, 0x00, 0x00), "ＭＳ ゴシック", 12, true},
        {"Label11", QPalette::Window, QColor(0xFF, 0xFF, 0xFF), "ＭＳ Ｐゴシック", 13, true},
    };
    for (const auto& c : cases) {
        QWidget* w = widget(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->palette().color(c.role), c.colour) << c.name;
        EXPECT_EQ(w->font().family(), QString::fromUtf8(c.family)) << c.name;
        EXPECT_EQ(w->font().pixelSize(), c.pixelSize) << c.name;
        EXPECT_EQ(w->font().bold(), c.bold) << c.name;
    }
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ORVA   QM5    CONTROL   Ver.1.40"));
}

TEST_F(WindowLayout, StartState)
{
    for (const char* line : {"Label11", "Label12", "Label22"})
        EXPECT_TRUE(widget<QLabel>(line)->text().isEmpty()) << line;
    std::set<std::string> checked;
    for (auto* option : window->findChildren<QRadioButton*>())
        if (option->isChecked())
            checked.insert(option->objectName().toStdString());
    EXPECT_EQ(checked, (std::set<std::string>{"Option1", "Option3", "Option9"}));
    EXPECT_FALSE(shown("Frame8"));
    EXPECT_FALSE(shown("Command34"));
    for (const char* inPanel : {"Frame13", "Option1", "Option2", "Option9", "Option10"})
        EXPECT_FALSE(shown(inPanel)) << inPanel;
    EXPECT_FALSE(form().timer1().isActive());
    EXPECT_FALSE(form().timer2().isActive());
    EXPECT_FALSE(form().timer3().isActive());
    EXPECT_FALSE(form().timer4().isActive());
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(widget<QLineEdit>("Text1")->text(), QString());
    EXPECT_FALSE(widget<QLabel>("Image1")->pixmap().isNull());
    EXPECT_EQ(widget<QLabel>("Image1")->pixmap().size(), QSize(80, 26));

    // Compact view: the main area only.
    EXPECT_EQ(window->windowHeight(), 5350);
    EXPECT_EQ(window->size(), QSize(633, twipsToPixels(5350 - 370)));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()); // the user cannot resize
}

TEST_F(WindowLayout, StartUpCentresTheFullLayoutThenCuts)
{
    // A fresh window, so the load runs against the full-height layout.
    makeWindow();
    EXPECT_EQ(window->windowHeight(), 9100);
    const QRect screen = window->screen()->geometry();
    const int width = window->windowWidth();
    load();
    const QPoint expected(twipsToPixels((screen.width() * 15 - width) / 2.0),
                          twipsToPixels((screen.height() * 15 - 9100) / 2.0));
    EXPECT_EQ(window->pos(), expected);
    EXPECT_EQ(window->windowHeight(), 5350);
    EXPECT_EQ(window->windowWidth(), width); // the width never changes
}

// Walks the focus chain as the Tab key does and lists the controls that take
// the focus now.
std::vector<std::string> tabStops(QWidget* window, QWidget* first)
{
    std::vector<std::string> out;
    QWidget* w = first;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && w->isEnabled())
            out.push_back(w->objectName().toStdString());
        w = w->nextInFocusChain();
    } while (w != first && out.size() < 1000);
    return out;
}

TEST_F(WindowLayout, FocusOrderSkipsHiddenControls)
{
    auto expectedStops = [](std::set<std::string_view> hidden) {
        std::vector<std::string> out;
        for (auto name : focusOrder)
            if (!hidden.count(name))
                out.emplace_back(name);
        return out;
    };
    QWidget* first = widget("Command17");
    EXPECT_EQ(tabStops(window.get(), first),
              expectedStops({"Option1", "Option2", "Option9", "Option10", "Command34"}));

    form().Command33_Click(); // port panel shown
    form().Form_KeyDown('K', 2); // Command34 shown
    EXPECT_EQ(tabStops(window.get(), first), expectedStops({}));
}

// The caption of a button fits inside it, wrapped onto more lines where
// needed but never cut.
void expectReadable(QPushButton* button, const QString& caption)
{
    SCOPED_TRACE(button->objectName().toStdString() + " \"" + caption.toStdString() + "\"");
    button->setText(caption);
    const QFontMetrics metrics(button->font());
    const QRect area = button->rect().adjusted(2, 0, -2, 0);
    const QRect needed = metrics.boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, caption);
    EXPECT_LE(needed.width(), area.width());
    EXPECT_LE(needed.height(), button->height() + 2);

    // What is painted: dark ink, none of it cut at the edges, and for a
    // caption too wide for one line, on more than one line.
    QImage image(button->size(), QImage::Format_RGB32);
    button->render(&image);
    int top = image.height(), bottom = -1, rows = 0;
    bool inkRowBefore = false;
    int bands = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 3; x < image.width() - 3; ++x)
            ink |= qGray(image.pixel(x, y)) < 60;
        if (ink) {
            top = std::min(top, y);
            bottom = y;
            ++rows;
            if (!inkRowBefore)
                ++bands;
        }
        inkRowBefore = ink;
    }
    ASSERT_GT(rows, 0) << "nothing painted";
    EXPECT_GT(top, 0);
    EXPECT_LT(bottom, image.height() - 1);
    if (metrics.horizontalAdvance(caption) > area.width()) {
        EXPECT_GE(bands, 2);
    }
}

TEST_F(WindowLayout, CaptionsAreReadable)
{
    for (const auto& spec : controls) {
        if (spec.kind == ControlKind::Button && spec.name != "Command34") {
            expectReadable(widget<QPushButton>(std::string(spec.name).c_str()),
                           QString::fromUtf8(spec.caption.data(), static_cast<qsizetype>(spec.caption.size())));
        }
    }
    auto* command34 = widget<QPushButton>("Command34");
    for (const char* caption : {"データを表示する", "データを表示しない", "CLOSE"})
        expectReadable(command34, QString::fromUtf8(caption));
}

TEST_F(WindowLayout, CaptionChangesKeepGeometry)
{
    struct Case {
        const char* control;
        std::string caption;
    };
    const Case cases[] = {
        {"Label11", " C R 0 CR "},
        {"Label12", std::string(" ") + std::string(600, 'A')},
        {"Label22", " No1,3 ON  : 4 Lamp mode"},
        {"Command34", "データを表示しない"},
    };
    for (const auto& c : cases) {
        QWidget* w = widget(c.control);
        const QRect before = w->geometry();
        window->setCaption(c.control, c.caption);
        EXPECT_EQ(window->caption(c.control), c.caption) << c.control;
        EXPECT_EQ(w->geometry(), before) << c.control;
    }
}

} // namespace
} // namespace qm5::test
