// The control inventory, and the real window built from it: offscreen, on a
// fake serial control and a manual clock, driven by real mouse and key events.

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "layout/control_names.hpp"
#include "layout/layout_table.hpp"
#include "qt/panel_window.hpp"
#include "support/fakes.hpp"

namespace qm5::test {
namespace {

namespace c = controls;

// Every control once, of the kind its name says, after its container and inside
// it; the only overlap is the port panel over "COM"; the focus order holds every
// control that can take the focus, once.
TEST(Inventory, EveryControlIsThereOnceInsideItsContainer)
{
    const std::string_view stems[] = {"Frame", "Command", "Label", "Option", "Text", "Image"}; // by kind
    std::set<std::string_view> all, frames, focusable;
    std::map<ControlKind, int> kinds;
    std::set<std::pair<std::string_view, std::string_view>> overlaps;
    for (const auto& c : layoutControls) {
        SCOPED_TRACE(std::string(c.name));
        EXPECT_TRUE(all.insert(c.name).second) << "duplicate";
        EXPECT_TRUE(c.name.starts_with(stems[static_cast<int>(c.kind)]));
        ++kinds[c.kind];
        if (c.kind == ControlKind::Button || c.kind == ControlKind::Option || c.kind == ControlKind::TextBox)
            focusable.insert(c.name);
        const ControlSpec* parent = findControl(c.container);
        EXPECT_TRUE(c.container.empty() || frames.contains(c.container)) << "not after its frame";
        if (c.kind == ControlKind::Frame)
            frames.insert(c.name);
        EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.width > 0 && c.height > 0);
        EXPECT_LE(c.left + c.width, parent ? parent->width : mainWindow.clientWidth);
        EXPECT_LE(c.top + c.height, parent ? parent->height : mainWindow.clientHeight);
        for (const auto& o : layoutControls) { // neighbours may share an edge up to one pixel wide
            const int dx = std::min(c.left + c.width, o.left + o.width) - std::max(c.left, o.left);
            const int dy = std::min(c.top + c.height, o.top + o.height) - std::max(c.top, o.top);
            if (c.name < o.name && c.container == o.container && std::min(dx, dy) > twipsPerPixel)
                overlaps.emplace(c.name, o.name);
        }
    }
    EXPECT_EQ(overlaps, (std::set<std::pair<std::string_view, std::string_view>>{{c::comButton, c::portPanel}}));
    using K = ControlKind;
    EXPECT_EQ(kinds,
        (std::map<K, int>{
            {K::Frame, 14}, {K::Button, 94}, {K::Label, 25}, {K::Option, 10}, {K::TextBox, 1}, {K::Image, 1}}));
    EXPECT_EQ(std::set<std::string_view>(focusOrder.begin(), focusOrder.end()), focusable);
    EXPECT_EQ(focusOrder.size(), focusable.size());
}

class Window : public ::testing::Test {
protected:
    FakeSerialControl comm;
    ManualClock clock;
    std::unique_ptr<PanelWindow> window;
    std::vector<QString> warnings;

    void SetUp() override { start(); }
    void start(bool load = true) // warnings are recorded instead of blocking
    {
        window = std::make_unique<PanelWindow>(comm, clock);
        window->setWarningHandler([this](const QString& text) { warnings.push_back(text); });
        if (load)
            panel().load();
        comm.writes.clear();
    }
    QWidget* w(std::string_view name) const
    {
        QWidget* found = window->control(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    template <class W> W* as(std::string_view name) const { return qobject_cast<W*>(w(name)); }
    bool shown(std::string_view name) const { return w(name)->isVisibleTo(window.get()); }
    bool checked(std::string_view name) const { return as<QRadioButton>(name)->isChecked(); }
    void click(std::string_view name) { QTest::mouseClick(w(name), Qt::LeftButton); }
    void chord(QWidget* target) { QTest::keyClick(target, Qt::Key_K, Qt::ControlModifier); }
    ControlPanel& panel() { return window->panel(); }
};

TEST_F(Window, EveryControlStandsAtItsPlaceInItsColours)
{
    const char* classes[] = {"QFrame", "QPushButton", "QLabel", "QRadioButton", "QLineEdit", "QLabel"};
    for (const auto& entry : layoutControls) {
        SCOPED_TRACE(std::string(entry.name));
        QWidget* c = window->control(entry.name);
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(c->inherits(classes[static_cast<int>(entry.kind)]));
        EXPECT_EQ(c->parentWidget(), entry.container.empty() ? window.get() : window->control(entry.container));
        const QPoint at = c->mapTo(window.get(), QPoint(0, 0));
        const Point origin = clientOrigin(entry); // within a pixel, whatever the rounding
        for (auto [got, twips] :
            {std::pair{at.x(), origin.x}, {at.y(), origin.y}, {c->width(), entry.width}, {c->height(), entry.height}})
            EXPECT_NEAR(got, twips / 15.0, 1.0);
        EXPECT_EQ(c->property("text").toString().toStdString(), entry.caption);
    }
    for (const auto& entry : lines)
        EXPECT_TRUE(w(entry.name)->palette().color(QPalette::Window) == QColor(0x8080FF)
            && std::min(w(entry.name)->width(), w(entry.name)->height()) == 2)
            << entry.name;
    // The port panel, when shown, lies over the "COM" button.
    const QPoint comCentre = w(c::comButton)->geometry().center();
    EXPECT_EQ(window->childAt(comCentre), w(c::comButton));
    window->setVisible(c::portPanel, true);
    EXPECT_TRUE(w(c::portPanel)->isAncestorOf(window->childAt(comCentre)));

    const std::tuple<std::string_view, QPalette::ColorRole, QRgb, const char*, int, bool> looks[] = {
        {c::cursorSelect, QPalette::Button, 0xFF8000, "ＭＳ ゴシック", 12, false},
        {c::pressureQuery, QPalette::Button, 0xFFE0C0, "ＭＳ ゴシック", 12, true}, // the window's font
        {c::txdLine, QPalette::Window, 0xFFFFFF, "ＭＳ Ｐゴシック", 13, true},
    };
    for (const auto& [name, role, rgb, family, pixels, bold] : looks) {
        const QFont f = w(name)->font();
        EXPECT_TRUE(w(name)->palette().color(role) == QColor(rgb) && f.family() == QString::fromUtf8(family)
            && f.pixelSize() == pixels && f.bold() == bold)
            << name;
    }
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(0xC0C0C0));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ORVA   QM5    CONTROL   Ver.1.40"));
}

TEST_F(Window, StartStateAndStartUpPosition)
{
    const auto options = window->findChildren<QRadioButton*>();
    EXPECT_EQ(std::count_if(options.begin(), options.end(), [](auto* o) { return o->isChecked(); }), 3);
    EXPECT_TRUE(checked(c::com1) && checked(c::singleAddress) && checked(c::speed19200));
    for (std::string_view hidden : {c::portPanel, c::com1, c::speed9600, c::dataButton})
        EXPECT_FALSE(shown(hidden)) << hidden;
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(as<QLabel>(c::logo)->pixmap().size(), QSize(80, 26));

    // A fresh window, so the load runs against the full-height layout:
    // centred at full height, then cut to the compact view.
    start(false);
    EXPECT_EQ(window->windowHeight(), 9100);
    const QRect screen = window->screen()->geometry();
    const int width = window->windowWidth();
    panel().load();
    EXPECT_EQ(window->pos(),
        QPoint(twipsToPixels((screen.width() * 15 - width) / 2.0), twipsToPixels((screen.height() * 15 - 9100) / 2.0)));
    EXPECT_EQ(window->size(), QSize(633, 332));              // 4980 twips of client area below a 370-twip title bar
    EXPECT_EQ(window->minimumSize(), window->maximumSize()); // the user cannot resize
    // Centred on a screen shorter than the layout, the title bar stays on it.
    window->setWindowTop(-3000);
    EXPECT_EQ(window->pos().y(), window->screen()->availableGeometry().top());
}

// A caption fits inside its button, wrapped onto more lines where needed,
// with dark ink painted and none of it cut at the edges.
void expectReadable(QPushButton* button, const QString& caption)
{
    SCOPED_TRACE(button->objectName().toStdString() + " \"" + caption.toStdString() + "\"");
    button->setText(caption);
    const QFontMetrics metrics(button->font());
    const QRect area = button->rect().adjusted(2, 0, -2, 0);
    const QRect needed = metrics.boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, caption);
    EXPECT_TRUE(needed.width() <= area.width() && needed.height() <= button->height() + 2);
    QImage image(button->size(), QImage::Format_RGB32);
    button->render(&image);
    int top = -1, bottom = -1, bands = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 3; x < image.width() - 3; ++x)
            ink |= qGray(image.pixel(x, y)) < 60;
        if (ink) {
            bands += bottom != y - 1;
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    EXPECT_TRUE(top > 0 && bottom < image.height() - 1) << "ink rows " << top << ".." << bottom;
    EXPECT_TRUE(metrics.horizontalAdvance(caption) <= area.width() || bands >= 2) << "not wrapped";
}

TEST_F(Window, CaptionsAreReadable)
{
    for (const auto& entry : layoutControls)
        if (entry.kind == ControlKind::Button && entry.name != c::dataButton)
            expectReadable(as<QPushButton>(entry.name), QString::fromUtf8(entry.caption));
    for (const char* caption : {"データを表示する", "データを表示しない", "CLOSE"})
        expectReadable(as<QPushButton>(c::dataButton), QString::fromUtf8(caption));
}

// Counts the presses of letter keys that reach a widget.
struct KeyCounter : QObject {
    int presses = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        presses += e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() < Qt::Key_Escape;
        return false;
    }
};

TEST_F(Window, ViewsFollowTheChordTheLogoAndTheDataButton)
{
    // Keys typed in the command line: K Ctrl+K, S Ctrl+Shift+K, A Ctrl+Alt+K,
    // k K alone, J Ctrl+J, M Ctrl+Meta+K. L double-clicks the logo, 3 presses
    // the data button.
    const std::map<char, Qt::KeyboardModifiers> modifiers = {{'K', Qt::ControlModifier},
        {'S', Qt::ControlModifier | Qt::ShiftModifier}, {'A', Qt::ControlModifier | Qt::AltModifier},
        {'k', Qt::NoModifier}, {'J', Qt::ControlModifier}, {'M', Qt::ControlModifier | Qt::MetaModifier}};
    // Steps, then the window height and whether the data button is shown. The service
    // views (7200, 9100) are unlocked and offer CLOSE; the data view (6645)
    // offers to hide the data, the compact view (5350) to show it.
    const std::tuple<const char*, int, bool> cases[] = {
        {"", 5350, false}, {"K", 7200, true}, {"S", 5350, false}, {"A", 5350, false}, {"k", 5350, false},
        {"J", 5350, false}, {"M", 7200, true}, {"L", 5350, false}, {"KL", 9100, true}, {"KLL", 9100, true},
        {"KLK", 7200, true}, {"KK", 7200, true}, {"K3", 5350, true}, {"KL3", 5350, true}, {"K3L", 5350, true},
        {"K33", 6645, true}, {"K333", 5350, true}, {"K33L", 6645, true}, {"K33K", 7200, true},
        {"3", 6645, false}, // reached by the keyboard while hidden below the compact view
    };
    for (const auto& [steps, height, shownAfter] : cases) {
        SCOPED_TRACE(std::string("steps \"") + steps + "\"");
        start();
        KeyCounter reached;
        w(c::commandText)->installEventFilter(&reached);
        int typed = 0;
        for (const char* s = steps; *s; ++s) {
            if (*s == 'L') {
                QTest::mouseDClick(w(c::logo), Qt::LeftButton);
            } else if (*s == '3') {
                QTest::keyClick(w(c::dataButton), Qt::Key_Space);
            } else {
                QTest::keyClick(w(c::commandText), *s == 'J' ? Qt::Key_J : Qt::Key_K, modifiers.at(*s));
                typed += *s != 'K' && *s != 'M';
            }
        }
        EXPECT_EQ(window->windowHeight(), height);
        EXPECT_EQ(window->height(), twipsToPixels(height - nonClientHeight));
        EXPECT_EQ(window->caption(c::dataButton),
            height >= 7200       ? "CLOSE"
                : height == 6645 ? "データを表示しない"
                                 : "データを表示する");
        EXPECT_EQ(shown(c::dataButton), shownAfter);
        EXPECT_EQ(panel().views().serviceUnlocked(), height >= 7200 ? 1 : 0);
        // The chord stops at the window: in the command line Ctrl+K would delete to its end.
        EXPECT_EQ(reached.presses, typed);
        EXPECT_TRUE(comm.writes.empty());
    }
    for (std::string_view target : {c::powerOn, c::singleAddress}) {
        start();
        chord(w(target));
        EXPECT_EQ(window->windowHeight(), 7200) << target;
    }
}

TEST_F(Window, PortAndAddressOptions)
{
    // The port panel's timer hides it five seconds after its last start; the
    // data button starts it again, the chord leaves it alone.
    click(c::comButton);
    clock.advance(3000);
    QTest::keyClick(w(c::dataButton), Qt::Key_Space);
    clock.advance(1000);
    chord(window.get());
    clock.advance(3999);
    EXPECT_TRUE(shown(c::portPanel) && shown(c::speed9600));
    clock.advance(1);
    EXPECT_FALSE(shown(c::portPanel) || panel().views().portPanelTimer().isActive());

    // Speed: applied to the open port at once; each group is exclusive
    // within its own frame only.
    const int opens = comm.opens;
    click(c::comButton);
    click(c::speed9600);
    EXPECT_EQ(comm.settings, "9600,N,8,1");
    EXPECT_TRUE(comm.isOpen() && comm.opens == opens);
    EXPECT_FALSE(shown(c::portPanel));
    EXPECT_TRUE(!checked(c::speed19200) && checked(c::com1) && checked(c::singleAddress));

    // A port that fails: one warning, the panel stays, the fallback number.
    comm.failingPorts[2] = "COM2: no such device";
    click(c::comButton);
    click(c::com2);
    EXPECT_EQ(warnings, std::vector<QString>{QStringLiteral("COM2: no such device")});
    EXPECT_TRUE(shown(c::portPanel));
    EXPECT_TRUE(comm.portNumber() == 1 && !comm.isOpen());
    EXPECT_TRUE(checked(c::com1) && !checked(c::com2) && checked(c::speed9600))
        << "the checked option names the port in use";
    EXPECT_TRUE(comm.writes.empty());
}

TEST_F(Window, FreeTextGoesOutOneBytePerCharacter)
{
    // Latin-1 characters go out as their byte; anything else as "?".
    as<QLineEdit>(c::commandText)->setText(QString::fromUtf8("CF é€\U0001F600 x"));
    click(c::sendButton);
    EXPECT_EQ(comm.writes, std::vector<std::string>{"CF \xE9?? x\r"});
    EXPECT_EQ(as<QLineEdit>(c::commandText)->text(), QString::fromUtf8("CF é€\U0001F600 x"));
    click(c::clearTextButton);
    EXPECT_TRUE(as<QLineEdit>(c::commandText)->text().isEmpty());
}

TEST_F(Window, AnyMouseButtonHoldsTheKeyboardNeverAndALostReleaseEndsTheHoldOnce)
{
    auto* zoomIn = as<QPushButton>(c::zoomPlus);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        SCOPED_TRACE(static_cast<int>(button));
        comm.writes.clear();
        QTest::mousePress(zoomIn, button);
        EXPECT_EQ(comm.writes, std::vector<std::string>{"C47\r"});
        EXPECT_TRUE(zoomIn->isDown());
        clock.advance(100); // repeats every 50 ms
        QTest::mouseRelease(zoomIn, button);
        EXPECT_FALSE(zoomIn->isDown());
        clock.advance(500);
        EXPECT_EQ(comm.writes.size(), 3u);
    }
    const std::pair<std::string_view, std::vector<std::string>> keys[] = {
        {c::zoomPlus, {}}, {c::cursorUp, {}}, {c::powerOn, {"C00\r"}}};
    for (const auto& [control, writes] : keys) {
        comm.writes.clear();
        QTest::keyClick(w(control), Qt::Key_Space);
        clock.advance(1000);
        EXPECT_EQ(comm.writes, writes) << control;
    }
    const std::pair<std::string_view, void (*)(QWidget*)> cases[] = {
        {c::zoomPlus, [](QWidget*) { QApplication::setActiveWindow(nullptr); }},
        {c::focusMinus, [](QWidget* held) { held->hide(); }},
        {c::shiftUp, [](QWidget* held) { held->parentWidget()->hide(); }},
        {c::keystonePlus, [](QWidget* held) { held->setEnabled(false); }},
    };
    for (const auto& [button, loseRelease] : cases) {
        SCOPED_TRACE(button);
        start();
        window->show();
        QApplication::setActiveWindow(window.get());
        QTest::mousePress(w(button), Qt::LeftButton);
        ASSERT_TRUE(panel().holds().repeatTimer().isActive());
        loseRelease(w(button));
        EXPECT_FALSE(panel().holds().repeatTimer().isActive());
        EXPECT_EQ(panel().holds().held(), nullptr);
        const std::size_t sent = comm.writes.size();
        clock.advance(1000); // the release's display clear has run
        // The late mouse release is no second release: the clear timer stays stopped.
        QTest::mouseRelease(w(button), Qt::LeftButton);
        EXPECT_FALSE(panel().exchange().clearTimer().isActive());
        EXPECT_EQ(comm.writes.size(), sent);
    }
}

} // namespace
} // namespace qm5::test
