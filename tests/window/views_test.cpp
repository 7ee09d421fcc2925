// The four views on the window logic: the service chord, the logo
// double-click, Command34 and the port panel timer, on a fake display and a
// manual clock.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/form_fixture.hpp"

namespace qm5::test {
namespace {

const std::string showData = "データを表示する";
const std::string hideData = "データを表示しない";
const std::string close = "CLOSE";

enum class Step { Chord, CtrlShiftK, CtrlAltK, PlainK, CtrlJ, ChordExtraBits, Logo, Command34 };

struct ViewCase {
    const char* name;
    std::vector<Step> steps;
    int height;
    std::string caption;
    bool shown;
    int unlocked;
};

std::ostream& operator<<(std::ostream& os, const ViewCase& c)
{
    return os << c.name;
}

class ViewSequence : public FormFixture, public ::testing::WithParamInterface<ViewCase> {
protected:
    void apply(Step step)
    {
        switch (step) {
        case Step::Chord:
            form.Form_KeyDown('K', 2);
            break;
        case Step::CtrlShiftK:
            form.Form_KeyDown('K', 3);
            break;
        case Step::CtrlAltK:
            form.Form_KeyDown('K', 6);
            break;
        case Step::PlainK:
            form.Form_KeyDown('K', 0);
            break;
        case Step::CtrlJ:
            form.Form_KeyDown('J', 2);
            break;
        case Step::ChordExtraBits:
            form.Form_KeyDown('K', 2 | 8); // bits above Alt are not part of the state
            break;
        case Step::Logo:
            form.Image1_DblClick();
            break;
        case Step::Command34:
            form.Command34_Click();
            break;
        }
    }
};

TEST_P(ViewSequence, EndsInTheExpectedView)
{
    const ViewCase& c = GetParam();
    for (Step s : c.steps)
        apply(s);
    EXPECT_EQ(display.height, c.height);
    EXPECT_EQ(display.caption("Command34"), c.caption);
    EXPECT_EQ(display.isVisible("Command34"), c.shown);
    EXPECT_EQ(form.serviceUnlocked(), c.unlocked);
    // No view change touches the line.
    EXPECT_TRUE(comm.writes.empty());
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(
    Views, ViewSequence,
    ::testing::Values(
        ViewCase{"Start", {}, 5350, showData, false, 0},
        ViewCase{"Chord", {S::Chord}, 7200, close, true, 1},
        ViewCase{"ChordWithShift", {S::CtrlShiftK}, 5350, showData, false, 0},
        ViewCase{"ChordWithAlt", {S::CtrlAltK}, 5350, showData, false, 0},
        ViewCase{"LetterAlone", {S::PlainK}, 5350, showData, false, 0},
        ViewCase{"OtherLetter", {S::CtrlJ}, 5350, showData, false, 0},
        ViewCase{"HigherStateBitsIgnored", {S::ChordExtraBits}, 7200, close, true, 1},
        ViewCase{"LogoBeforeChord", {S::Logo}, 5350, showData, false, 0},
        ViewCase{"LogoAfterChord", {S::Chord, S::Logo}, 9100, close, true, 1},
        ViewCase{"LogoTwice", {S::Chord, S::Logo, S::Logo}, 9100, close, true, 1},
        ViewCase{"ChordInFullView", {S::Chord, S::Logo, S::Chord}, 7200, close, true, 1},
        ViewCase{"ChordTwice", {S::Chord, S::Chord}, 7200, close, true, 1},
        ViewCase{"CloseServiceView", {S::Chord, S::Command34}, 5350, showData, true, 0},
        ViewCase{"CloseFullView", {S::Chord, S::Logo, S::Command34}, 5350, showData, true, 0},
        ViewCase{"LogoAfterClose", {S::Chord, S::Command34, S::Logo}, 5350, showData, true, 0},
        ViewCase{"OpenDataView", {S::Chord, S::Command34, S::Command34}, 6645, hideData, true, 0},
        ViewCase{"CloseDataView", {S::Chord, S::Command34, S::Command34, S::Command34}, 5350, showData, true, 0},
        ViewCase{"LogoInDataView", {S::Chord, S::Command34, S::Command34, S::Logo}, 6645, hideData, true, 0},
        ViewCase{"ChordInDataView", {S::Chord, S::Command34, S::Command34, S::Chord}, 7200, close, true, 1},
        // Reached by the keyboard while still hidden below the compact view.
        ViewCase{"Command34FromCompact", {S::Command34}, 6645, hideData, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The port panel timer: what the clock shows at given moments after the
// "COM" button and Command34.
struct PanelCase {
    const char* name;
    bool openPanel;         // "COM" at 0 ms
    int command34At;        // -1: never
    bool chordAt1000;
    int checkAt;            // ms
    bool panelShown;
    bool timerRunning;
};

class PortPanelTimer : public FormFixture, public ::testing::WithParamInterface<PanelCase> {};

TEST_P(PortPanelTimer, HidesThePanelOnce)
{
    const PanelCase& c = GetParam();
    ASSERT_FALSE(form.timer3().isActive());
    if (c.openPanel)
        form.Command33_Click();
    for (int t = 0; t < c.checkAt; ++t) {
        if (t == c.command34At)
            form.Command34_Click();
        if (t == 1000 && c.chordAt1000)
            form.Form_KeyDown('K', 2);
        clock.advance(1);
    }
    EXPECT_EQ(display.isVisible("Frame8"), c.panelShown);
    EXPECT_EQ(form.timer3().isActive(), c.timerRunning);
    EXPECT_EQ(form.timer3().interval(), 5000);
}

INSTANTIATE_TEST_SUITE_P(
    Views, PortPanelTimer,
    ::testing::Values(PanelCase{"JustBeforeTick", true, -1, false, 4999, true, true},
                      PanelCase{"AtTick", true, -1, false, 5000, false, false},
                      PanelCase{"LongAfter", true, -1, false, 20000, false, false},
                      PanelCase{"Command34RestartsBeforeTick", true, 3000, false, 7999, true, true},
                      PanelCase{"Command34RestartsAtTick", true, 3000, false, 8000, false, false},
                      PanelCase{"TickWhileHidden", false, 0, false, 5000, false, false},
                      PanelCase{"TickWhileHiddenPending", false, 0, false, 4999, false, true},
                      PanelCase{"ChordLeavesTimerAlone", true, -1, true, 4999, true, true},
                      PanelCase{"ChordLeavesTimerAloneTick", true, -1, true, 5000, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qm5::test
