// The real widgets driven by real events: the key chord from any control,
// the logo, Command34, the port panel, options, held buttons, Text1 and END.

#include <QApplication>
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

const QString showData = QString::fromUtf8("データを表示する");
const QString hideData = QString::fromUtf8("データを表示しない");

int clientHeightFor(int outerTwips)
{
    return twipsToPixels(outerTwips - nonClientHeight);
}

TEST_F(WindowEvents, ServiceChordWorksFromAnyFocusedControl)
{
    struct Case {
        const char* target; // "" for the window itself
        Qt::KeyboardModifiers modifiers;
        Qt::Key key;
        int height;
    };
    const Case cases[] = {
        {"Text1", Qt::ControlModifier, Qt::Key_K, 7200},
        {"Command17", Qt::ControlModifier, Qt::Key_K, 7200},
        {"Option3", Qt::ControlModifier, Qt::Key_K, 7200},
        {"", Qt::ControlModifier, Qt::Key_K, 7200},
        {"Command17", Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_K, 5350},
        {"Command17", Qt::ControlModifier | Qt::AltModifier, Qt::Key_K, 5350},
        {"Command17", Qt::NoModifier, Qt::Key_K, 5350},
        {"Text1", Qt::NoModifier, Qt::Key_K, 5350},
        {"Command17", Qt::ControlModifier, Qt::Key_J, 5350},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.target) + " " + std::to_string(c.modifiers.toInt()) + " " +
                     std::to_string(c.key));
        makeWindow();
        load();
        QWidget* target = *c.target ? widget(c.target) : window.get();
        QTest::keyClick(target, c.key, c.modifiers);
        EXPECT_EQ(window->windowHeight(), c.height);
        EXPECT_EQ(window->height(), clientHeightFor(c.height));
        const bool unlocked = c.height == 7200;
        EXPECT_EQ(form().serviceUnlocked(), unlocked ? 1 : 0);
        EXPECT_EQ(shown("Command34"), unlocked);
        EXPECT_EQ(widget<QPushButton>("Command34")->text(), unlocked ? QStringLiteral("CLOSE") : showData);
    }
}

TEST_F(WindowEvents, ChordDoesNotEditTheTextBox)
{
    auto* text1 = widget<QLineEdit>("Text1");
    text1->setText(QStringLiteral("CF INPUT1 VIDEO"));
    text1->setCursorPosition(0);
    QTest::keyClick(text1, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(window->windowHeight(), 7200);
    EXPECT_EQ(text1->text(), QStringLiteral("CF INPUT1 VIDEO"));
    // Other keys still reach the box.
    QTest::keyClick(text1, Qt::Key_End);
    QTest::keyClicks(text1, QStringLiteral("x"));
    EXPECT_EQ(text1->text(), QStringLiteral("CF INPUT1 VIDEOx"));
}

TEST_F(WindowEvents, LogoDoubleClickOpensTheFullViewOnlyAfterTheChord)
{
    QWidget* logo = widget("Image1");
    QTest::mouseDClick(logo, Qt::LeftButton);
    EXPECT_EQ(window->windowHeight(), 5350);
    EXPECT_FALSE(shown("Command34"));

    QTest::keyClick(window.get(), Qt::Key_K, Qt::ControlModifier);
    QTest::mouseDClick(logo, Qt::LeftButton);
    EXPECT_EQ(window->windowHeight(), 9100);
    EXPECT_EQ(window->height(), 582);
    QTest::mouseDClick(logo, Qt::LeftButton);
    EXPECT_EQ(window->windowHeight(), 9100);

    // Command34 locks it again.
    QTest::mouseClick(widget("Command34"), Qt::LeftButton);
    EXPECT_EQ(window->windowHeight(), 5350);
    QTest::mouseDClick(logo, Qt::LeftButton);
    EXPECT_EQ(window->windowHeight(), 5350);
    EXPECT_TRUE(comm.writes.empty());
}

TEST_F(WindowEvents, Command34InEachView)
{
    auto* command34 = widget<QPushButton>("Command34");
    struct Step {
        const char* how;
        int height;
        QString caption;
    };
    // Compact, reached by the keyboard while still below the visible area.
    QTest::keyClick(command34, Qt::Key_Space);
    EXPECT_EQ(window->windowHeight(), 6645);
    EXPECT_EQ(command34->text(), hideData);
    QTest::keyClick(command34, Qt::Key_Space);
    EXPECT_EQ(window->windowHeight(), 5350);
    EXPECT_EQ(command34->text(), showData);

    const std::pair<int, const char*> views[] = {{7200, "service"}, {9100, "full"}};
    for (const auto& [height, name] : views) {
        QTest::keyClick(window.get(), Qt::Key_K, Qt::ControlModifier);
        if (height == 9100)
            QTest::mouseDClick(widget("Image1"), Qt::LeftButton);
        ASSERT_EQ(window->windowHeight(), height) << name;
        QTest::mouseClick(command34, Qt::LeftButton);
        EXPECT_EQ(window->windowHeight(), 5350) << name;
        EXPECT_EQ(window->height(), clientHeightFor(5350)) << name;
        EXPECT_EQ(command34->text(), showData) << name;
        EXPECT_TRUE(shown("Command34")) << name;
        EXPECT_TRUE(form().timer3().isActive()) << name;
    }
    QTest::mouseClick(command34, Qt::LeftButton);
    EXPECT_EQ(window->windowHeight(), 6645);
    EXPECT_EQ(window->height(), clientHeightFor(6645));
    EXPECT_TRUE(comm.writes.empty());
}

TEST_F(WindowEvents, PortPanelHidesItselfAfterFiveSeconds)
{
    QTest::mouseClick(widget("Command33"), Qt::LeftButton);
    EXPECT_TRUE(shown("Frame8"));
    for (const char* inside : {"Frame13", "Option1", "Option2", "Option9", "Option10"})
        EXPECT_TRUE(shown(inside)) << inside;
    clock.advance(4999);
    EXPECT_TRUE(shown("Frame8"));
    clock.advance(1);
    EXPECT_FALSE(shown("Frame8"));
    EXPECT_FALSE(shown("Option9"));
    EXPECT_FALSE(form().timer3().isActive());
    // Shown again, the selections are as they were.
    QTest::mouseClick(widget("Command33"), Qt::LeftButton);
    EXPECT_TRUE(widget<QRadioButton>("Option1")->isChecked());
    EXPECT_TRUE(widget<QRadioButton>("Option9")->isChecked());
    EXPECT_TRUE(comm.writes.empty());
}

TEST_F(WindowEvents, AddressOptionChangesOnlyTheNextFrame)
{
    struct Case {
        const char* option;
        std::string frame;
    };
    const Case cases[] = {{"Option4", "AFFFC00\r"}, {"Option5", "A001C00\r"}, {"Option8", "A004C00\r"},
                          {"Option3", "C00\r"}};
    for (const auto& c : cases) {
        comm.writes.clear();
        const QString sent = widget<QLabel>("Label11")->text();
        QTest::mouseClick(widget(c.option), Qt::LeftButton);
        EXPECT_TRUE(widget<QRadioButton>(c.option)->isChecked()) << c.option;
        EXPECT_TRUE(comm.writes.empty()) << c.option;
        EXPECT_EQ(widget<QLabel>("Label11")->text(), sent) << c.option;
        QTest::mouseClick(widget("Command17"), Qt::LeftButton);
        ASSERT_EQ(comm.writes.size(), 1u) << c.option;
        EXPECT_EQ(comm.writes.back(), c.frame) << c.option;
    }
}

TEST_F(WindowEvents, OptionGroupsAreExclusiveWithinTheirFrameOnly)
{
    QTest::mouseClick(widget("Command33"), Qt::LeftButton);
    QTest::mouseClick(widget("Option2"), Qt::LeftButton);
    EXPECT_FALSE(widget<QRadioButton>("Option1")->isChecked());
    EXPECT_TRUE(widget<QRadioButton>("Option9")->isChecked());
    EXPECT_TRUE(widget<QRadioButton>("Option3")->isChecked());
    QTest::mouseClick(widget("Command33"), Qt::LeftButton);
    QTest::mouseClick(widget("Option10"), Qt::LeftButton);
    EXPECT_FALSE(widget<QRadioButton>("Option9")->isChecked());
    EXPECT_TRUE(widget<QRadioButton>("Option2")->isChecked());
    QTest::mouseClick(widget("Option6"), Qt::LeftButton);
    EXPECT_FALSE(widget<QRadioButton>("Option3")->isChecked());
    EXPECT_TRUE(widget<QRadioButton>("Option2")->isChecked());
    EXPECT_TRUE(widget<QRadioButton>("Option10")->isChecked());
}

TEST_F(WindowEvents, SpeedChoiceAppliesToTheOpenPortAndHidesThePanel)
{
    const int opens = comm.openCount;
    QTest::mouseClick(widget("Command33"), Qt::LeftButton);
    QTest::mouseClick(widget("Option10"), Qt::LeftButton);
    EXPECT_EQ(comm.settings, "9600,N,8,1");
    EXPECT_EQ(form().commSettings(), "9600,N,8,1");
    EXPECT_TRUE(comm.portOpen());
    EXPECT_EQ(comm.openCount, opens);
    EXPECT_EQ(comm.commPort(), 1);
    EXPECT_FALSE(shown("Frame8"));
    EXPECT_TRUE(comm.writes.empty());
}

TEST_F(WindowEvents, FailingPortShowsOneWarning)
{
    comm.failingPorts[2] = "COM2: no such device";
    QTest::mouseClick(widget("Command33"), Qt::LeftButton);
    QTest::mouseClick(widget("Option2"), Qt::LeftButton);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings.front(), QStringLiteral("COM2: no such device"));
    EXPECT_TRUE(shown("Frame8"));
    EXPECT_EQ(comm.commPort(), 1);
    EXPECT_FALSE(comm.portOpen());
    EXPECT_TRUE(widget<QRadioButton>("Option2")->isChecked());
}

TEST_F(WindowEvents, SelectOptionFromTheProgramRunsNoHandler)
{
    window->selectOption("Option2");
    EXPECT_TRUE(widget<QRadioButton>("Option2")->isChecked());
    EXPECT_FALSE(widget<QRadioButton>("Option1")->isChecked());
    EXPECT_EQ(comm.commPort(), 1);
    window->selectOption("Option10");
    EXPECT_EQ(form().commSettings(), "19200,N,8,1");
}

TEST_F(WindowEvents, AnyMouseButtonHoldsAHeldButton)
{
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        SCOPED_TRACE(static_cast<int>(button));
        comm.writes.clear();
        QWidget* zoomIn = widget("Command15");
        QTest::mousePress(zoomIn, button);
        EXPECT_EQ(comm.writes, std::vector<std::string>{"C47\r"});
        EXPECT_TRUE(form().timer1().isActive());
        EXPECT_TRUE(widget<QPushButton>("Command15")->isDown());
        clock.advance(100); // repeats every 50 ms
        EXPECT_EQ(comm.writes.size(), 3u);
        QTest::mouseRelease(zoomIn, button);
        EXPECT_FALSE(form().timer1().isActive());
        EXPECT_EQ(form().repeatCode(), 0);
        EXPECT_FALSE(widget<QPushButton>("Command15")->isDown());
        clock.advance(500);
        EXPECT_EQ(comm.writes.size(), 3u) << "no frame after the release";
    }
}

TEST_F(WindowEvents, KeyboardNeverHoldsAndOneShotsClickOnce)
{
    struct Case {
        const char* control;
        Qt::Key key;
        std::vector<std::string> writes;
    };
    const Case cases[] = {
        {"Command15", Qt::Key_Space, {}},
        {"Command5", Qt::Key_Space, {}},
        {"Command17", Qt::Key_Space, {"C00\r"}},
        {"Command44", Qt::Key_Space, {"CR0\r"}},
    };
    for (const auto& c : cases) {
        comm.writes.clear();
        QTest::keyClick(widget(c.control), c.key);
        clock.advance(1000);
        EXPECT_EQ(comm.writes, c.writes) << c.control;
    }
    // A mouse click on a one-shot button sends once, whichever button.
    comm.writes.clear();
    QTest::mouseClick(widget("Command56"), Qt::LeftButton);
    EXPECT_EQ(comm.writes, std::vector<std::string>{"C70\r"});
}

TEST_F(WindowEvents, HoldEndsOnceWhenTheButtonGoesAway)
{
    enum class Ending { Deactivate, HideButton, HideFrame, Disable };
    struct Case {
        const char* name;
        const char* button;
        Ending ending;
    };
    const Case cases[] = {
        {"deactivate", "Command15", Ending::Deactivate},
        {"hide button", "Command37", Ending::HideButton},
        {"hide frame", "Command59", Ending::HideFrame},
        {"disable", "Command50", Ending::Disable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        makeWindow();
        load();
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(window->isActiveWindow());
        QWidget* held = widget(c.button);
        QTest::mousePress(held, Qt::LeftButton);
        ASSERT_TRUE(form().timer1().isActive());
        switch (c.ending) {
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
        clock.advance(1000); // the display clears and Timer4 stops
        EXPECT_FALSE(form().timer4().isActive());
        // The late release is no second release: Timer4 stays stopped.
        QTest::mouseRelease(held, Qt::LeftButton);
        EXPECT_FALSE(form().timer4().isActive());
        EXPECT_EQ(comm.writes.size(), sent);
        window->hide();
    }
}

TEST_F(WindowEvents, SecondPressDuringAHoldIsIgnored)
{
    QWidget* zoomIn = widget("Command15");
    QTest::mousePress(zoomIn, Qt::LeftButton);
    QTest::mousePress(widget("Command36"), Qt::RightButton);
    EXPECT_EQ(comm.writes, std::vector<std::string>{"C47\r"});
    QTest::mouseRelease(zoomIn, Qt::LeftButton);
    EXPECT_FALSE(form().timer1().isActive());
    QTest::mouseRelease(widget("Command36"), Qt::RightButton);
    EXPECT_EQ(comm.writes, std::vector<std::string>{"C47\r"});
}

TEST_F(WindowEvents, TextBoxIsLatin1WithoutALengthLimit)
{
    struct Case {
        QString typed;
        std::string read;
    };
    const Case cases[] = {
        {QStringLiteral("CR0"), "CR0"},
        {QString::fromUtf8("C\xC3\xA9"), "C\xE9"},              // é is Latin-1
        {QString::fromUtf8("\xE2\x82\xAC" "1"), "?1"},           // € is not
        {QString::fromUtf8("a\xF0\x9F\x98\x80" "b"), "a?b"},     // one character outside the BMP
        {QString(), ""},
    };
    auto* text1 = widget<QLineEdit>("Text1");
    for (const auto& c : cases) {
        text1->clear();
        // One key event carrying the whole text, as an input method sends it.
        if (!c.typed.isEmpty())
            QTest::sendKeyEvent(QTest::Press, text1, Qt::Key_A, c.typed, Qt::NoModifier);
        EXPECT_EQ(window->text("Text1"), c.read) << c.typed.toStdString();
    }
    const std::string longText(40000, 'A');
    window->setText("Text1", longText);
    EXPECT_EQ(window->text("Text1"), longText);
    window->setText("Text1", "\xE9t\xE9");
    EXPECT_EQ(text1->text(), QString::fromUtf8("\xC3\xA9t\xC3\xA9"));

    // SEND takes the text as it stands; CLS empties it.
    window->setText("Text1", "C1C");
    QTest::mouseClick(widget("Command95"), Qt::LeftButton);
    EXPECT_EQ(comm.writes.back(), "C1C\r");
    QTest::mouseClick(widget("Command96"), Qt::LeftButton);
    EXPECT_EQ(text1->text(), QString());
}

TEST_F(WindowEvents, EndClosesThePortAndTheWindow)
{
    window->show();
    ASSERT_TRUE(window->isVisible());
    QTest::mouseClick(widget("Command16"), Qt::LeftButton);
    EXPECT_FALSE(comm.portOpen());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ends, 1);
}

} // namespace
} // namespace qm5::test
