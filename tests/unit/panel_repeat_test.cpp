// Hold-to-repeat on the manual clock: cadence, the arrow contexts, release.

#include <string>
#include <vector>

#include "support/form_fixture.hpp"

namespace qm5::test {
namespace {

class PanelHold : public FormFixture {
protected:
    // Holds control for ms and returns the frames sent meanwhile.
    std::vector<std::string> hold(std::string_view control, int ms)
    {
        comm.writes.clear();
        EXPECT_TRUE(form.Command_MouseDown(control));
        clock.advance(ms);
        EXPECT_TRUE(form.Command_MouseUp(control));
        return comm.writes;
    }
};

TEST_F(PanelHold, FixedRateButtonsRepeatAtTheirPace)
{
    struct Case {
        std::string_view control, frame;
        int repeat, timer2, timer4;
    };
    const Case cases[] = {
        {"Command15", "C47\r", 50, 25, 25},   // Zoom +
        {"Command37", "C4A\r", 50, 25, 25},   // Focus -
        {"Command62", "C5E\r", 50, 25, 25},   // LENS SHIFT down
        {"Command6", "C3F\r", 500, 200, 245}, // SELECT
        {"Command48", "C30\r", 250, 200, 245}, // D.Zoom +
        {"Command51", "C8F\r", 250, 200, 245}, // Keystone -
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control));
        comm.writes.clear();
        ASSERT_TRUE(form.Command_MouseDown(c.control));
        EXPECT_EQ(comm.writes.size(), 1u) << "the first frame goes out at the press";
        EXPECT_EQ(form.timer2().interval(), c.timer2);
        EXPECT_EQ(form.timer4().interval(), c.timer4);
        clock.advance(c.repeat - 1);
        EXPECT_EQ(comm.writes.size(), 1u);
        clock.advance(1);
        EXPECT_EQ(comm.writes.size(), 2u);
        clock.advance(3 * c.repeat);
        EXPECT_EQ(comm.writes.size(), 5u);
        for (const auto& w : comm.writes)
            EXPECT_EQ(w, c.frame);
        ASSERT_TRUE(form.Command_MouseUp(c.control));
        clock.advance(3000);
    }
}

TEST_F(PanelHold, OneSecondOfZoomIsTwentyOneFramesAndAClickIsOne)
{
    EXPECT_EQ(hold("Command15", 1000).size(), 21u);
    clock.advance(5000);
    EXPECT_EQ(comm.writes.size(), 21u) << "nothing after the release";

    EXPECT_EQ(hold("Command15", 49), std::vector<std::string>{"C47\r"});
    clock.advance(5000);
    EXPECT_EQ(comm.writes.size(), 1u);
}

// The arrows repeat at Timer1's last interval and take their reply
// intervals from ArrowMode.
TEST(PanelArrowContext, ArrowsFollowTheContextLeftBehind)
{
    struct Case {
        const char* name;
        std::vector<std::string_view> clicks, taps;
        std::string_view arrow, frame;
        int repeat, timer2, timer4;
    };
    const std::vector<Case> cases = {
        {"AtStart", {}, {}, "Command5", "C3C\r", 200, 500, 1000},
        {"AfterInputButton", {"Command70"}, {}, "Command5", "C3C\r", 200, 5000, 5500},
        {"AfterMenuOn", {"Command23"}, {}, "Command7", "C3D\r", 200, 150, 190},
        {"AfterAPcAdj", {"Command13"}, {}, "Command9", "C3B\r", 200, 150, 190},
        {"AfterDZoomMinus", {}, {"Command49"}, "Command8", "C3A\r", 5, 5, 5},
        {"AfterKeystone", {}, {"Command50"}, "Command9", "C3B\r", 250, 500, 1000},
        {"AfterSelect", {}, {"Command6"}, "Command5", "C3C\r", 500, 500, 1000},
        {"DZoomThenMenuOn", {"Command23"}, {"Command48"}, "Command5", "C3C\r", 200, 150, 190},
        {"DZoomThenZoom", {}, {"Command48", "Command15"}, "Command5", "C3C\r", 50, 5, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDisplay d;
        FakeSerialControl s;
        ManualClock t;
        Form1 f{d, s, t};
        f.Form_Load();
        for (auto tapped : c.taps) {
            ASSERT_TRUE(f.Command_MouseDown(tapped));
            ASSERT_TRUE(f.Command_MouseUp(tapped));
        }
        for (auto clicked : c.clicks)
            ASSERT_TRUE(f.Command_Click(clicked));
        t.advance(10000);
        s.writes.clear();

        ASSERT_TRUE(f.Command_MouseDown(c.arrow));
        EXPECT_EQ(f.timer2().interval(), c.timer2);
        EXPECT_EQ(f.timer4().interval(), c.timer4);
        t.advance(c.repeat - 1);
        EXPECT_EQ(s.writes.size(), 1u);
        t.advance(1);
        ASSERT_EQ(s.writes.size(), 2u);
        EXPECT_EQ(s.writes[0], c.frame);
        EXPECT_EQ(s.writes[1], c.frame);
        ASSERT_TRUE(f.Command_MouseUp(c.arrow));
    }
}

TEST_F(PanelHold, ReleaseClearsAndRestores)
{
    ASSERT_TRUE(form.Command_Click("Command44")); // STATUS
    comm.receive("80\r");
    ASSERT_EQ(label("Label22"), " Stand by");
    clock.advance(600);

    ASSERT_TRUE(form.Command_MouseDown("Command49")); // D.Zoom -, 200/245
    clock.advance(100);
    comm.receive("0");
    ASSERT_EQ(label("Label12"), " 0 ");
    ASSERT_TRUE(form.Command_MouseUp("Command49"));

    EXPECT_EQ(form.repeatCode(), 0);
    EXPECT_EQ(label("Label11"), "");
    EXPECT_EQ(label("Label12"), "");
    EXPECT_EQ(form.rxBuffer(), "");
    EXPECT_FALSE(form.timer1().isActive());
    EXPECT_FALSE(form.timer2().isActive());
    EXPECT_EQ(form.timer2().interval(), 500);
    EXPECT_EQ(form.timer4().interval(), 1000);
    EXPECT_EQ(form.timer1().interval(), 5);
    EXPECT_EQ(form.arrowMode(), 3);

    // A reply arriving after the release is shown alone, not after the dropped "0".
    comm.receive("1");
    EXPECT_EQ(label("Label12"), " 1 ");
    clock.advance(999);
    EXPECT_EQ(label("Label22"), " Stand by") << "the 245 ms clear was moved to 1000 ms after release";
    clock.advance(1);
    EXPECT_EQ(label("Label12"), "");
    EXPECT_EQ(label("Label22"), "");
    EXPECT_EQ(comm.writes.size(), 2u) << "no frame on release";
}

TEST_F(PanelHold, ReleaseWithoutReplyShowsNoMissingMark)
{
    ASSERT_TRUE(form.Command_MouseDown("Command6")); // SELECT, reply window 200
    clock.advance(150);
    ASSERT_TRUE(form.Command_MouseUp("Command6"));
    clock.advance(999);
    EXPECT_EQ(label("Label12"), "");
}

TEST_F(PanelHold, EveryTickReadsTheAddressAgain)
{
    ASSERT_TRUE(form.Command_MouseDown("Command15"));
    clock.advance(50);
    ASSERT_TRUE(form.Option_Click("Option5"));
    clock.advance(50);
    ASSERT_TRUE(form.Option_Click("Option4"));
    clock.advance(50);
    ASSERT_TRUE(form.Command_MouseUp("Command15"));
    EXPECT_EQ(comm.writes, (std::vector<std::string>{"C47\r", "C47\r", "A001C47\r", "AFFFC47\r"}));
}

TEST_F(PanelHold, ReleaseWithNoHoldRunningOnlyResets)
{
    // The window ends a hold itself when it loses activation; the button's
    // own release may follow it.
    ASSERT_TRUE(form.Command_MouseDown("Command59"));
    clock.advance(30);
    ASSERT_FALSE(form.timer4().isActive()) << "25 ms clear already done";
    ASSERT_TRUE(form.Command_MouseUp("Command59"));
    EXPECT_TRUE(form.timer4().isActive()) << "every release schedules a clear";
    ASSERT_TRUE(form.Command_MouseUp("Command59"));
    clock.advance(1000);
    EXPECT_FALSE(form.timer4().isActive());
    EXPECT_EQ(comm.writes.size(), 1u);
    EXPECT_EQ(form.repeatCode(), 0);

    form.Timer1_Timer(); // a stray tick with nothing held
    EXPECT_EQ(comm.writes.size(), 1u);

    EXPECT_FALSE(form.Command_MouseDown("Command17"));
    EXPECT_FALSE(form.Command_MouseUp("Command17"));
    EXPECT_EQ(comm.writes.size(), 1u);
}

} // namespace
} // namespace qm5::test
