// The real widgets driven by real events: the key chord from any control,
// the logo, Command34, the port panel, options, held buttons, Text1 and END.

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <string>

#include "window/inventory.hpp"
#include "window_fixture.hpp"

namespace qm5::test {
namespace {

using WindowEvents = WindowFixture;

// Counts the presses of one key that reach a widget.
class KeyCounter : public QObject {
public:
    explicit KeyCounter(int key) : key_(key) {}
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        presses += event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == key_;
        return false;
    }

private:
    int key_;
};

TEST_F(WindowEvents, ServiceChordWorksWhicheverControlHasTheKey)
{
    struct Case {
        const char* target; // "" for the window itself
        Qt::KeyboardModifiers modifiers;
        Qt::Key key;
        bool opens;
    };
    const Case cases[] = {
        {"Text1", Qt::ControlModifier, Qt::Key_K, true},
        {"Command17", Qt::ControlModifier, Qt::Key_K, true},
        {"Option3", Qt::ControlModifier, Qt::Key_K, true},
        {"", Qt::ControlModifier, Qt::Key_K, true},
        {"Command17", Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_K, false},
        {"Text1", Qt::ControlModifier | Qt::AltModifier, Qt::Key_K, false},
        {"Command17", Qt::NoModifier, Qt::Key_K, false},
        {"Command17", Qt::ControlModifier, Qt::Key_J, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.target) + " modifiers " + std::to_string(c.modifiers.toInt()));
        makeWindow();
        load();
        QWidget* target = *c.target ? widget(c.target) : window.get();
        KeyCounter reached(c.key);
        target->installEventFilter(&reached);
        QTest::keyClick(target, c.key, c.modifiers);
        const int height = c.opens ? 7200 : 5350;
        EXPECT_EQ(window->windowHeight(), height);
        EXPECT_EQ(window->height(), twipsToPixels(height - nonClientHeight));
        EXPECT_EQ(shown("Command34"), c.opens);
        // The chord stops at the window (in the text box Ctrl+K would
        // delete to the end of the line); other keys go on.
        EXPECT_EQ(reached.presses, c.opens ? 0 : 1);
    }
}

TEST_F(WindowEvents, LogoAndCommand34)
{
    QWidget* logo = widget("Image1");
    auto* command34 = widget<QPushButton>("Command34");
    QTest::mouseDClick(logo, Qt::LeftButton);
    EXPECT_EQ(window->windowHeight(), 5350);

    QTest::keyClick(window.get(), Qt::Key_K, Qt::ControlModifier);
    QTest::mouseDClick(logo, Qt::LeftButton);
    EXPECT_EQ(window->windowHeight(), 9100);
    EXPECT_EQ(window->height(), 582);
    EXPECT_EQ(command34->text(), QStringLiteral("CLOSE"));

    QTest::mouseClick(command34, Qt::LeftButton);
    EXPECT_EQ(window->windowHeight(), 5350);
    EXPECT_EQ(command34->text(), QString::fromUtf8("データを表示する"));
    QTest::mouseDClick(logo, Qt::LeftButton);
    EXPECT_EQ(window->windowHeight(), 5350);

    // Below the compact view the button is still reached by the keyboard.
    QTest::keyClick(command34, Qt::Key_Space);
    EXPECT_EQ(window->windowHeight(), 6645);
    EXPECT_EQ(command34->text(), QString::fromUtf8("データを表示しない"));
    EXPECT_TRUE(comm.writes.empty());
}

TEST_F(WindowEvents, PortPanelChoices)
{
    auto checked = [this](const char* name) { return widget<QRadioButton>(name)->isChecked(); };
    QWidget* com = widget("Command33");

    QTest::mouseClick(com, Qt::LeftButton);
    EXPECT_TRUE(shown("Frame8") && shown("Option10"));
    clock.advance(5000);
    EXPECT_FALSE(shown("Frame8") || shown("Option10"));

    // Speed: applied to the open port at once; the port groups are separate.
    const int opens = comm.openCount;
    QTest::mouseClick(com, Qt::LeftButton);
    QTest::mouseClick(widget("Option10"), Qt::LeftButton);
    EXPECT_EQ(comm.settings, "9600,N,8,1");
    EXPECT_TRUE(comm.portOpen());
    EXPECT_EQ(comm.openCount, opens);
    EXPECT_FALSE(shown("Frame8"));
    EXPECT_TRUE(!checked("Option9") && checked("Option1") && checked("Option3"));

    // A port that fails: one warning, the panel stays, the fallback number.
    comm.failingPorts[2] = "COM2: no such device";
    QTest::mouseClick(com, Qt::LeftButton);
    QTest::mouseClick(widget("Option2"), Qt::LeftButton);
    EXPECT_EQ(warnings, std::vector<QString>{QStringLiteral("COM2: no such device")});
    EXPECT_TRUE(shown("Frame8"));
    EXPECT_EQ(comm.commPort(), 1);
    EXPECT_FALSE(comm.portOpen());
    EXPECT_TRUE(checked("Option2") && !checked("Option1") && checked("Option10"));

    // Selected by the program, an option runs no handler (which would hide
    // the panel).
    window->selectOption("Option1");
    EXPECT_TRUE(checked("Option1") && !checked("Option2"));
    EXPECT_TRUE(shown("Frame8"));
    EXPECT_TRUE(comm.writes.empty());
}

TEST_F(WindowEvents, AddressOptionChangesOnlyTheNextFrame)
{
    const std::pair<const char*, std::string> cases[] = {
        {"Option4", "AFFFC00\r"}, {"Option5", "A001C00\r"}, {"Option8", "A004C00\r"}, {"Option3", "C00\r"}};
    for (const auto& [option, frame] : cases) {
        comm.writes.clear();
        const QString sent = widget<QLabel>("Label11")->text();
        QTest::mouseClick(widget(option), Qt::LeftButton);
        EXPECT_TRUE(comm.writes.empty()) << option;
        EXPECT_EQ(widget<QLabel>("Label11")->text(), sent) << option;
        QTest::mouseClick(widget("Command17"), Qt::LeftButton);
        EXPECT_EQ(comm.writes, std::vector<std::string>{frame}) << option;
    }
}

TEST_F(WindowEvents, AnyMouseButtonHoldsAHeldButton)
{
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        SCOPED_TRACE(static_cast<int>(button));
        comm.writes.clear();
        auto* zoomIn = widget<QPushButton>("Command15");
        QTest::mousePress(zoomIn, button);
        EXPECT_EQ(comm.writes, std::vector<std::string>{"C47\r"});
        EXPECT_TRUE(zoomIn->isDown());
        clock.advance(100); // repeats every 50 ms
        EXPECT_EQ(comm.writes.size(), 3u);
        QTest::mouseRelease(zoomIn, button);
        EXPECT_FALSE(form().timer1().isActive());
        EXPECT_FALSE(zoomIn->isDown());
        clock.advance(500);
        EXPECT_EQ(comm.writes.size(), 3u) << "no frame after the release";
    }
}

TEST_F(WindowEvents, KeyboardNeverHolds)
{
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"Command15", {}}, {"Command5", {}}, {"Command17", {"C00\r"}}, {"Command44", {"CR0\r"}}};
    for (const auto& [control, writes] : cases) {
        comm.writes.clear();
        QTest::keyClick(widget(control), Qt::Key_Space);
        clock.advance(1000);
        EXPECT_EQ(comm.writes, writes) << control;
    }
}

TEST_F(WindowEvents, HoldEndsOnceWhenTheWindowOrTheButtonGoesAway)
{
    enum class Ending { Deactivate, HideButton, HideFrame, Disable };
    const std::pair<const char*, Ending> cases[] = {
        {"Command15", Ending::Deactivate},
        {"Command37", Ending::HideButton},
        {"Command59", Ending::HideFrame},
        {"Command50", Ending::Disable},
    };
    for (const auto& [button, ending] : cases) {
        SCOPED_TRACE(button);
        makeWindow();
        load();
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(window->isActiveWindow());
        QWidget* held = widget(button);
        QTest::mousePress(held, Qt::LeftButton);
        ASSERT_TRUE(form().timer1().isActive());
        switch (ending) {
        case Ending::Deactivate:
            QApplication::setActiveWindow(nullptr);
            break;
        case Ending::HideButton:
            held->hide();
            break;
        case Ending::HideFrame:
            held->parentWidget()->hide();
            break;
        case Ending::Disable:
            held->setEnabled(false);
            break;
        }
        EXPECT_FALSE(form().timer1().isActive());
        EXPECT_EQ(form().repeatCode(), 0);
        const std::size_t sent = comm.writes.size();
        clock.advance(1000); // the release's display clear has run
        // The late mouse release is no second release: Timer4 stays stopped.
        QTest::mouseRelease(held, Qt::LeftButton);
        EXPECT_FALSE(form().timer4().isActive());
        EXPECT_EQ(comm.writes.size(), sent);
        window->hide();
    }
}

TEST_F(WindowEvents, TextBoxIsLatin1WithoutALengthLimit)
{
    const std::pair<QString, std::string> cases[] = {
        {QStringLiteral("CR0"), "CR0"},
        {QString::fromUtf8("C\xC3\xA9"), "C\xE9"},            // é is Latin-1
        {QString::fromUtf8("\xE2\x82\xAC" "1"), "?1"},         // € is not
        {QString::fromUtf8("a\xF0\x9F\x98\x80" "b"), "a?b"},   // one character outside the BMP
    };
    auto* text1 = widget<QLineEdit>("Text1");
    for (const auto& [typed, read] : cases) {
        text1->clear();
        // One key event carrying the whole text, as an input method sends it.
        QTest::sendKeyEvent(QTest::Press, text1, Qt::Key_A, typed, Qt::NoModifier);
        EXPECT_EQ(window->text("Text1"), read) << typed.toStdString();
    }
    const std::string longText(40000, 'A');
    window->setText("Text1", longText);
    EXPECT_EQ(window->text("Text1"), longText);

    window->setText("Text1", "C1C");
    QTest::mouseClick(widget("Command95"), Qt::LeftButton);
    EXPECT_EQ(comm.writes, std::vector<std::string>{"C1C\r"});
    QTest::mouseClick(widget("Command96"), Qt::LeftButton);
    EXPECT_TRUE(text1->text().isEmpty());
}

TEST_F(WindowEvents, EndClosesThePortAndTheWindow)
{
    window->show();
    QTest::mouseClick(widget("Command16"), Qt::LeftButton);
    EXPECT_FALSE(comm.portOpen());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ends, 1);
}

} // namespace
} // namespace qm5::test
