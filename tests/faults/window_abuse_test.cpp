// What a user can do to the window: an enormous typed command, a thousand
// clicks in a row, storms of the service chord and the logo, END in the middle
// of an exchange, a hold that a warning box interrupts.

#include <QAbstractButton>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <string>

#include "link/transcript.hpp"
#include "panel.hpp"
#include "qt_support/eventually.hpp"
#include "raw_pty.hpp"
#include "window/inventory.hpp"

namespace qm5::test {
namespace {

constexpr int waitMs = 5000;

// Where the first difference is, so a failure does not print 100 kB.
std::string firstDifference(const std::string& got, const std::string& want)
{
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        ++at;
    if (at == got.size() && at == want.size())
        return "equal";
    return "differ at byte " + std::to_string(at) + " of " + std::to_string(want.size()) + " (got " +
           std::to_string(got.size()) + " bytes)";
}

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

class WindowAbuse : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(far.open(&error)) << error;
        panel.ports[1] = far.slavePath();
        panel.start();
        ASSERT_TRUE(panel.comm->portOpen());
        ASSERT_TRUE(panel.warnings.empty());
    }

    RawPty far;
    Panel panel;
};

TEST_F(WindowAbuse, HundredThousandCharacterCommandGoesOutWhole)
{
    QTest::mouseClick(panel.control("Option5"), Qt::LeftButton); // "001"
    ASSERT_EQ(panel.form().targetPrefix(), "A001");

    // Printable ASCII and Latin-1 letters, each one byte on the line.
    std::mt19937 random(100000);
    std::string text(100000 - 10, ' ');
    for (char& c : text) {
        const unsigned pick = random() % (95 + 96);
        c = static_cast<char>(pick < 95 ? 32 + pick : 160 + (pick - 95));
    }
    panel.send(text);
    const std::string first = "A001" + text + "\r";
    const std::string gotFirst = far.readAtLeast(first.size(), 20000);
    EXPECT_TRUE(gotFirst == first) << firstDifference(gotFirst, first);

    // Ten more typed by hand onto the end of the long line, and SEND again.
    auto* edit = qobject_cast<QLineEdit*>(panel.control("Text1"));
    QTest::keyClicks(edit, "0123456789");
    text += "0123456789";
    ASSERT_EQ(edit->text().size(), 100000);
    panel.click("Command95");

    const std::string frame = "A001" + text + "\r";
    const std::string got = far.readAtLeast(frame.size(), 20000);
    EXPECT_TRUE(got == frame) << firstDifference(got, frame);
    EXPECT_EQ(panel.form().lastCommand(), frame);
    EXPECT_TRUE(panel.label("Label11") == RenderTranscript(frame))
        << firstDifference(panel.label("Label11"), RenderTranscript(frame));
    EXPECT_EQ(edit->text().size(), 100000) << "SEND keeps the text";

    // Still usable.
    panel.click("Command44");
    EXPECT_EQ(far.readAtLeast(8, waitMs), "A001CR0\r");
    EXPECT_EQ(panel.label("Label11"), " A 0 0 1 C R 0 CR ");
}

TEST_F(WindowAbuse, ThousandRapidClicksSendThousandFramesInOrder)
{
    const std::array<const char*, 6> addresses = {"Option3", "Option4", "Option5", "Option6", "Option7", "Option8"};
    const std::array<const char*, 6> prefixes = {"", "AFFF", "A001", "A002", "A003", "A004"};

    struct Row {
        const char* name;
        bool changeAddress; // pick the next address before every click
    };
    const Row rows[] = {{"one address", false}, {"address changed before each click", true}};

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string expected;
        for (int i = 0; i < 1000; ++i) {
            std::size_t a = 0;
            if (row.changeAddress) {
                a = static_cast<std::size_t>(i + 1) % addresses.size();
                QTest::mouseClick(panel.control(addresses[a]), Qt::LeftButton);
            }
            panel.click("Command17"); // ON
            expected += std::string(prefixes[a]) + "C00\r";
        }
        if (row.changeAddress) {
            QTest::mouseClick(panel.control("Option3"), Qt::LeftButton);
            ASSERT_EQ(panel.form().targetPrefix(), "");
        }
        const std::string got = far.readAtLeast(expected.size(), 20000);
        EXPECT_TRUE(got == expected) << firstDifference(got, expected);
        EXPECT_EQ(count(got, "C00\r"), 1000u);
        EXPECT_EQ(far.readAtLeast(1, 200), "") << "more frames than clicks";
        EXPECT_EQ(panel.ends, 0);
        EXPECT_TRUE(panel.warnings.empty());
    }
}

TEST_F(WindowAbuse, ServiceChordAndLogoStormsEndInTheViewOfTheLastAction)
{
    enum Action { Chord, ChordInText, WrongChord, LogoDoubleClick, Command34Click, ActionCount };
    Form1Window& window = *panel.window;
    QWidget* text1 = panel.control("Text1");

    int height = Form1::compactHeight;
    bool unlocked = false;
    std::string caption = "データを表示する";
    std::mt19937 random(34);

    for (int i = 0; i < 1500; ++i) {
        const auto action = static_cast<Action>(random() % ActionCount);
        switch (action) {
        case Chord:
            QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier);
            height = Form1::serviceHeight;
            unlocked = true;
            caption = "CLOSE";
            break;
        case ChordInText:
            // The chord counts wherever the focus is, and stops there.
            QTest::keyClick(text1, Qt::Key_K, Qt::ControlModifier);
            height = Form1::serviceHeight;
            unlocked = true;
            caption = "CLOSE";
            break;
        case WrongChord: {
            const Qt::KeyboardModifiers wrong[] = {Qt::ControlModifier | Qt::ShiftModifier,
                                                   Qt::ControlModifier | Qt::AltModifier, Qt::NoModifier};
            QTest::keyClick(&window, Qt::Key_K, wrong[random() % 3]);
            break;
        }
        case LogoDoubleClick:
            QTest::mouseDClick(panel.control("Image1"), Qt::LeftButton);
            if (unlocked) {
                height = Form1::fullHeight;
                caption = "CLOSE";
            }
            break;
        case Command34Click:
            // Hidden until the first chord; no one can click it before.
            if (!panel.shown("Command34"))
                continue;
            panel.click("Command34");
            unlocked = false;
            height = height >= 6000 ? Form1::compactHeight : Form1::dataHeight;
            caption = height == Form1::compactHeight ? "データを表示する" : "データを表示しない";
            break;
        case ActionCount:
            break;
        }
        ASSERT_EQ(window.windowHeight(), height) << "action " << i << " kind " << action;
        ASSERT_EQ(panel.form().serviceUnlocked(), unlocked ? 1 : 0) << "action " << i;
        ASSERT_EQ(panel.label("Command34"), caption) << "action " << i;
    }
    // The widget itself follows, not only the logic's record of it.
    EXPECT_EQ(window.height(), twipsToPixels(height - nonClientHeight));
    EXPECT_EQ(text1->property("text").toString(), QString()) << "the chord typed into Text1";
    EXPECT_EQ(far.readAtLeast(1, 100), "") << "views send nothing";
}

// Runs END the way the row says and checks that nothing follows it: no timer,
// no frame, no change of the display once the reply window has passed.
struct EndCase {
    const char* name;
    const char* before; // part of the reply in before END
    const char* after;  // the rest, arriving after END
    bool holding;       // a zoom hold is under way, END by the keyboard
};

void endAndCheckNothingFollows(const EndCase& row)
{
    SCOPED_TRACE(row.name);
    RawPty line;
    std::string error;
    ASSERT_TRUE(line.open(&error)) << error;
    Panel p;
    p.ports[1] = line.slavePath();
    p.start();

    if (row.holding) {
        QTest::mousePress(p.control("Command15"), Qt::LeftButton);
        ASSERT_GE(line.readAtLeast(12, waitMs).size(), 12u); // three frames at least
        QTest::keyClick(p.control("Command16"), Qt::Key_Space);
    } else {
        p.click("Command44");
        ASSERT_EQ(line.readAtLeast(4, waitMs), "CR0\r");
        if (*row.before) {
            ASSERT_TRUE(line.writeAll(row.before));
            QM5_ASSERT_EVENTUALLY_EQ(p.label("Label12"), " " + std::string(row.before) + " ", waitMs);
        }
        p.click("Command16");
    }
    EXPECT_EQ(p.ends, 1);
    EXPECT_FALSE(p.comm->portOpen());
    EXPECT_FALSE(p.form().timer1().isActive());
    EXPECT_FALSE(p.form().timer2().isActive());
    EXPECT_FALSE(p.form().timer3().isActive());
    EXPECT_FALSE(p.form().timer4().isActive());

    const std::string label11 = p.label("Label11");
    const std::string label12 = p.label("Label12");
    const std::string label22 = p.label("Label22");
    (void)line.readAvailable();
    if (*row.after) {
        ASSERT_TRUE(line.writeAll(row.after));
    }
    // Past the reply window and the display clear: nothing may fire.
    QTest::qWait(1300);
    EXPECT_EQ(p.label("Label11"), label11);
    EXPECT_EQ(p.label("Label12"), label12);
    EXPECT_EQ(p.label("Label22"), label22);
    EXPECT_EQ(line.readAvailable(), "") << "a frame after END";
    EXPECT_EQ(p.ends, 1);
    EXPECT_TRUE(p.warnings.empty());
}

TEST(WindowEnd, EndInTheMiddleOfAnExchangeStopsEverything)
{
    const EndCase rows[] = {
        {"reply on its way", "", "80\r", false},
        {"reply half in", "8", "0\r", false},
    };
    for (const EndCase& row : rows)
        endAndCheckNothingFollows(row);
}

// Closing the window must not release the held button through the logic:
// that release would start the display-clear timer again after END.
TEST(WindowEnd, EndDuringAHoldStartsNoTimer)
{
    endAndCheckNothingFollows({"during a hold", "", "", true});
}

TEST_F(WindowAbuse, HoldEndsWhenTheWarningBoxOpens)
{
    enum class Box { ModalMessageBox, OtherWindowActivated };
    struct Row {
        const char* name;
        Box box;
    };
    const Row rows[] = {{"modal message box", Box::ModalMessageBox},
                        {"another window activated", Box::OtherWindowActivated}};

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawPty line;
        std::string error;
        ASSERT_TRUE(line.open(&error)) << error;
        Panel p;
        p.ports[1] = line.slavePath();
        p.start();
        p.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(p.window.get()));

        // What the program's own warning does, without the nested loop of
        // exec(): a modal box, or some other window, comes up and takes the
        // activation away from the panel.
        std::unique_ptr<QWidget> box;
        p.duringWarning = [&] {
            if (row.box == Box::ModalMessageBox) {
                auto* message = new QMessageBox(QMessageBox::Warning, QStringLiteral("QM5RSC"),
                                                QString::fromStdString(p.warnings.back()), QMessageBox::Ok);
                message->setWindowModality(Qt::ApplicationModal);
                box.reset(message);
            } else {
                box = std::make_unique<QWidget>();
            }
            box->show();
            box->activateWindow();
        };

        p.click("Command33"); // COM
        QTest::mousePress(p.control("Command15"), Qt::LeftButton);
        ASSERT_GE(line.readAtLeast(12, waitMs).size(), 12u);
        ASSERT_EQ(p.form().repeatCode(), 7);

        // COM2 has no device: the warning comes while "+" is still held.
        auto* com2 = qobject_cast<QAbstractButton*>(p.control("Option2"));
        com2->setFocus();
        QTest::keyClick(com2, Qt::Key_Space);
        ASSERT_EQ(p.warnings.size(), 1u);
        ASSERT_NE(box, nullptr);

        QM5_ASSERT_EVENTUALLY_EQ(p.form().repeatCode(), 0, waitMs);
        EXPECT_FALSE(p.form().timer1().isActive());
        (void)line.readAtLeast(1, 100);
        EXPECT_EQ(line.readAtLeast(1, 400), "") << "frames after the hold ended";

        // The box goes, the user lets go of the mouse: still nothing is sent.
        box.reset();
        QTest::mouseRelease(p.control("Command15"), Qt::LeftButton);
        EXPECT_EQ(line.readAtLeast(1, 200), "");
        EXPECT_EQ(p.ends, 0);
    }
}

} // namespace
} // namespace qm5::test
