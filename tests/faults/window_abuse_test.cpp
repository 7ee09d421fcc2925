// What a user can do to the window: huge commands, rapid clicks, END at a bad moment.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <array>
#include <random>

#include "layout/control_names.hpp"
#include "layout/layout_table.hpp"
#include "protocol/transcript.hpp"
#include "rig/eventually.hpp"
#include "rig/panel_rig.hpp"
#include "rig/raw_pty.hpp"

namespace qm5::test {
namespace {

namespace c = controls;

TEST(WindowAbuse, HundredThousandCharacterCommandGoesOutWhole)
{
    RawPty far;
    PanelRig panel(far.path());
    panel.click(c::address001); // address 001
    // Printable ASCII and Latin-1 letters, one byte each on the line.
    std::mt19937 random(100000);
    std::string text(100000 - 10, ' ');
    for (char& c : text) {
        const unsigned pick = random() % (95 + 96);
        c = static_cast<char>(pick < 95 ? 32 + pick : 160 + (pick - 95));
    }
    QLineEdit* edit = qobject_cast<QLineEdit*>(panel.control(c::commandText));
    edit->setText(QString::fromLatin1(text));
    QTest::keyClicks(edit, "0123456789"); // the last ten typed onto the end
    panel.click(c::sendButton);

    const std::string frame = "A001" + text + "0123456789\r";
    const std::string got = far.readAtLeast(frame.size(), 20000);
    EXPECT_TRUE(got == frame) << got.size() << " bytes of " << frame.size();
    EXPECT_TRUE(panel.caption(c::txdLine) == renderTranscript(frame)) << "the transcript differs";
    EXPECT_EQ(edit->text().size(), 100000) << "SEND keeps the text";
    panel.click(c::statusQuery); // still usable
    EXPECT_EQ(far.readAtLeast(8, waitMs), "A001CR0\r");
    EXPECT_EQ(panel.caption(c::txdLine), " A 0 0 1 C R 0 CR ");
}

TEST(WindowAbuse, ThousandRapidClicksSendThousandFramesInOrder)
{
    const std::string_view addresses[] = {
        c::singleAddress, c::allAddress, c::address001, c::address002, c::address003, c::address004};
    const char* const prefixes[] = {"", "AFFF", "A001", "A002", "A003", "A004"};
    RawPty far;
    PanelRig panel(far.path());
    for (const bool changeAddress : {false, true}) { // before every click
        SCOPED_TRACE(changeAddress ? "address changed before each click" : "one address");
        std::string expected;
        for (std::size_t i = 1; i <= 1000; ++i) {
            const std::size_t a = changeAddress ? i % 6 : 0;
            if (changeAddress)
                panel.click(addresses[a]);
            panel.click(c::powerOn); // ON
            expected += std::string(prefixes[a]) + "C00\r";
        }
        const std::string got = far.readAtLeast(expected.size(), 20000);
        EXPECT_TRUE(got == expected) << got.size() << " bytes of " << expected.size();
        EXPECT_EQ(far.readAtLeast(1, 200), "") << "more frames than clicks";
        EXPECT_TRUE(panel.warnings.empty());
    }
}

// END leaves nothing behind: no timer, no frame, no change of the display once
// the reply window has passed. During a hold, closing must not release the
// held button through the logic, which would start the display-clear timer.
TEST(WindowEnd, EndInTheMiddleOfAnExchangeOrAHoldStopsEverything)
{
    // Part of the reply in before END and the rest after it; or a zoom hold under way, END by the keyboard.
    struct Row {
        const char *name, *before, *after;
        bool holding;
    };
    const Row rows[] = {
        {"reply on its way", "", "80\r", false}, {"reply half in", "8", "0\r", false}, {"during a hold", "", "", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RawPty line;
        PanelRig p(line.path());
        if (row.holding) {
            QTest::mousePress(p.control(c::zoomPlus), Qt::LeftButton);
            ASSERT_GE(line.readAtLeast(12, waitMs).size(), 12u); // three frames at least
            QTest::keyClick(p.control(c::endButton), Qt::Key_Space);
        } else {
            p.click(c::statusQuery);
            ASSERT_EQ(line.readAtLeast(4, waitMs), "CR0\r");
            if (*row.before) {
                ASSERT_TRUE(line.writeAll(row.before));
                QM5_ASSERT_EVENTUALLY_EQ(p.caption(c::rxdLine), " " + std::string(row.before) + " ", waitMs);
            }
            p.click(c::endButton);
        }
        ControlPanel& f = p.panel(); // timers running, one bit each
        auto timers = [&] {
            return f.holds().repeatTimer().isActive() | f.exchange().replyTimer().isActive() << 1
                | f.views().portPanelTimer().isActive() << 2 | f.exchange().clearTimer().isActive() << 3;
        };
        auto labels = [&] {
            return std::array{p.caption(c::txdLine), p.caption(c::rxdLine), p.caption(c::statusLine)};
        };
        EXPECT_FALSE(p.serial().isOpen());
        EXPECT_EQ(timers(), 0);
        const auto shown = labels();
        line.readAvailable();
        ASSERT_TRUE(line.writeAll(row.after));
        QTest::qWait(1300); // past the reply window and the display clear
        EXPECT_EQ(timers(), 0);
        EXPECT_EQ(labels(), shown);
        EXPECT_EQ(line.readAvailable(), "") << "a frame after END";
        EXPECT_EQ(p.ends, 1);
        EXPECT_TRUE(p.warnings.empty());
    }
}

TEST(WindowAbuse, HoldEndsWhenTheWarningBoxOpens)
{
    RawPty line;
    PanelRig p(line.path());
    p.window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.window()));
    // What the program's own warning does, less the nested loop of exec(): a
    // modal box comes up and takes the activation away from the panel.
    std::unique_ptr<QMessageBox> box;
    p.duringWarning = [&] {
        box = std::make_unique<QMessageBox>(
            QMessageBox::Warning, QStringLiteral("QM5RSC"), QString::fromStdString(p.warnings.back()), QMessageBox::Ok);
        box->setWindowModality(Qt::ApplicationModal);
        box->show();
        box->activateWindow();
    };
    p.click(c::comButton); // COM
    QTest::mousePress(p.control(c::zoomPlus), Qt::LeftButton);
    ASSERT_GE(line.readAtLeast(12, waitMs).size(), 12u);
    // COM2 has no device: the warning comes while "+" is still held.
    p.control(c::com2)->setFocus();
    QTest::keyClick(p.control(c::com2), Qt::Key_Space);
    ASSERT_EQ(p.warnings.size(), 1u);
    QM5_ASSERT_EVENTUALLY_EQ(p.panel().holds().held(), nullptr, waitMs);
    EXPECT_FALSE(p.panel().holds().repeatTimer().isActive());
    line.readAtLeast(1, 100);
    EXPECT_EQ(line.readAtLeast(1, 400), "") << "frames after the hold ended";

    box.reset(); // the box goes, the user lets go of the mouse: still nothing is sent
    QTest::mouseRelease(p.control(c::zoomPlus), Qt::LeftButton);
    EXPECT_EQ(line.readAtLeast(1, 200), "");
    EXPECT_EQ(p.ends, 0);
}

} // namespace
} // namespace qm5::test
