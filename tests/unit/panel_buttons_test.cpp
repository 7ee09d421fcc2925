// The button catalogue, the one-shot click handler, SEND and CLS, and hold-to-repeat.

#include <set>
#include <string>
#include <vector>

#include "panel/command_catalogue.hpp"
#include "panel/repeat_table.hpp"
#include "support/form_fixture.hpp"

namespace qm5::test {
namespace {

TEST(PanelCatalogue, CompleteWithDistinctNamesAndCodes)
{
    ASSERT_EQ(oneShotButtons.size(), 72u);
    ASSERT_EQ(heldButtons.size(), 17u);
    std::multiset<std::string_view> controls;
    std::set<std::string_view> codes;
    std::set<int> repeatCodes;
    int inMatrix = 0;
    for (const auto& b : oneShotButtons) {
        controls.insert(b.control);
        EXPECT_TRUE(codes.insert(b.code).second) << b.control;
        inMatrix += b.group == inputMatrixGroup && b.timers && b.timers->timer2 == 5000 && b.timers->timer4 == 5500;
    }
    EXPECT_EQ(inMatrix, 32);
    for (const auto& b : heldButtons) {
        controls.insert(b.control);
        EXPECT_TRUE(codes.insert(b.code).second) << b.control;
        EXPECT_TRUE(b.repeatCode != 0 && repeatCodes.insert(b.repeatCode).second) << b.control;
    }
    for (const auto& b : otherButtons)
        controls.insert(b.control);
    EXPECT_EQ(controls.size(), 94u);
    for (int n = 3; n <= 99; ++n) {
        const bool unused = n == 19 || n == 20 || n == 43;
        EXPECT_EQ(controls.count("Command" + std::to_string(n)), unused ? 0u : 1u) << n;
    }
}

using PanelClick = FormFixture;

TEST_F(PanelClick, EveryOneShotButtonSendsItsFrameOnce)
{
    for (const auto& b : oneShotButtons) {
        comm.writes.clear();
        ASSERT_TRUE(form.Command_Click(b.control));
        ASSERT_EQ(comm.writes, std::vector<std::string>{std::string(b.code) + "\r"}) << b.control;
        EXPECT_EQ(form.lastCommand(), lastWrite());
        EXPECT_FALSE(form.timer1().isActive()) << "a click never starts repetition";
    }
    for (std::string_view name :
        {"Command15", "Command95", "Command16", "Command19", "Command100", "command17", "Command17 ", ""})
        EXPECT_FALSE(form.Command_Click(name)) << name;
    EXPECT_EQ(comm.writes.size(), 1u);
}

TEST_F(PanelClick, KnownFramesUnderEachAddress)
{
    const std::tuple<std::string_view, std::string_view, std::string_view> cases[] = {
        {"Option4", "Command17", "AFFFC00\r"},
        {"Option6", "Command63", "A002CF INPUT1 DIGITAL\r"},
        {"Option7", "Command84", "A003CF INPUT3 S-VIDEO\r"},
        {"Option5", "Command99", "A001CR PRESSURE\r"},
        {"Option8", "Command52", "A004CR INFPFAIL\r"},
    };
    for (const auto& [address, control, frame] : cases) {
        ASSERT_TRUE(form.Option_Click(address));
        EXPECT_EQ(comm.writes.size(), 0u) << "an address choice sends nothing";
        ASSERT_TRUE(form.Command_Click(control));
        EXPECT_EQ(comm.writes, std::vector<std::string>{std::string(frame)});
        comm.writes.clear();
    }
}

// SEND sends the typed line as it is and keeps it; CLS only clears it.
TEST_F(PanelClick, SendAndCls)
{
    const std::tuple<std::string_view, std::string, std::string, std::string> cases[] = {
        {"Option3", "", "\r", ""}, {"Option8", "", "A004\r", ""}, {"Option5", "CR0", "A001CR0\r", " Stand by"},
        {"Option3", " CR0", " CR0\r", ""}, // decoded only when equal to the button's code
    };
    for (const auto& [address, text, frame, status] : cases) {
        ASSERT_TRUE(form.Option_Click(address));
        display.setText("Text1", text);
        form.Command95_Click();
        ASSERT_EQ(comm.writes, std::vector<std::string>{frame});
        EXPECT_EQ(display.text("Text1"), text);
        comm.receive("80\r");
        EXPECT_EQ(label("Label22"), status) << frame;
        clock.advance(10000);
        comm.writes.clear();
    }
    form.Command95_Click();
    form.Command96_Click();
    EXPECT_EQ(display.text("Text1"), "");
    EXPECT_EQ(label("Label11"), "   C R 0 CR ") << "CLS leaves the exchange alone";
    EXPECT_EQ(comm.writes.size(), 1u);
}

using PanelHold = FormFixture;

// Frames sent by a hold of ms, counted 5 s after the release: one at the press, one a tick.
TEST_F(PanelHold, FixedRateButtonsRepeatAtTheirPaceUntilReleased)
{
    struct Case {
        std::string_view control, frame;
        int ms, frames, timer2, timer4;
    };
    const Case cases[] = {
        {"Command15", "C47\r", 49, 1, 25, 25}, // Zoom +: a click is one frame
        {"Command15", "C47\r", 50, 2, 25, 25},
        {"Command15", "C47\r", 1000, 21, 25, 25},
        {"Command6", "C3F\r", 499, 1, 200, 245}, // SELECT
        {"Command6", "C3F\r", 1000, 3, 200, 245},
        {"Command48", "C30\r", 249, 1, 200, 245}, // D.Zoom +
        {"Command48", "C30\r", 1000, 5, 200, 245},
    };
    for (const Case& c : cases) {
        comm.writes.clear();
        ASSERT_TRUE(form.Command_MouseDown(c.control));
        EXPECT_EQ(form.timer2().interval(), c.timer2);
        EXPECT_EQ(form.timer4().interval(), c.timer4);
        clock.advance(c.ms);
        ASSERT_TRUE(form.Command_MouseUp(c.control));
        clock.advance(5000);
        EXPECT_EQ(comm.writes, std::vector<std::string>(c.frames, std::string(c.frame))) << c.control << c.ms;
    }
}

// The arrows repeat at Timer1's last interval and take their reply intervals from ArrowMode.
TEST(PanelArrowContext, ArrowsFollowTheContextLeftBehind)
{
    struct Case {
        std::vector<std::string_view> before; // pressed and released, or clicked
        std::string_view arrow, frame;
        int repeat, timer2, timer4;
    };
    const Case cases[] = {
        {{}, "Command5", "C3C\r", 200, 500, 1000},
        {{"Command70"}, "Command5", "C3C\r", 200, 5000, 5500}, // an input button
        {{"Command23"}, "Command7", "C3D\r", 200, 150, 190},   // MENU ON
        {{"Command13"}, "Command9", "C3B\r", 200, 150, 190},   // A-PC ADJ
        {{"Command49"}, "Command8", "C3A\r", 5, 5, 5},         // D.Zoom -
        {{"Command50"}, "Command9", "C3B\r", 250, 500, 1000},  // Keystone: whatever was set last
        {{"Command48", "Command23"}, "Command5", "C3C\r", 200, 150, 190},
        {{"Command48", "Command15"}, "Command5", "C3C\r", 50, 5, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.empty() ? "start" : std::string(c.before.back()));
        FakeDisplay d;
        FakeSerialControl s;
        ManualClock t;
        Form1 f{d, s, t};
        f.Form_Load();
        for (auto button : c.before)
            ASSERT_TRUE(f.Command_MouseDown(button) ? f.Command_MouseUp(button) : f.Command_Click(button));
        t.advance(10000);
        s.writes.clear();
        ASSERT_TRUE(f.Command_MouseDown(c.arrow));
        EXPECT_EQ(f.timer2().interval(), c.timer2);
        EXPECT_EQ(f.timer4().interval(), c.timer4);
        t.advance(c.repeat - 1);
        EXPECT_EQ(s.writes.size(), 1u);
        t.advance(1);
        EXPECT_EQ(s.writes, std::vector<std::string>(2, std::string(c.frame)));
        ASSERT_TRUE(f.Command_MouseUp(c.arrow));
    }
}

// A tick sends only once the line has carried the last frame (10 bits a
// byte at the current speed) and the serial layer holds nothing unwritten.
TEST(PanelHoldPacing, HoldsNeverOutrunTheLine)
{
    struct Case {
        std::string_view speed, address, held;
        std::size_t unsent;
        std::size_t frames; // in a one-second hold, press included
    };
    const Case cases[] = {
        {"Option10", "Option5", "Command8", 0, 101}, // 9600, "A001C3A" CR is 8.3 ms: every other 5 ms tick
        {"Option10", "Option4", "Command5", 0, 101},
        {"Option10", "Option3", "Command8", 0, 201}, // 4 bytes fit a 5 ms tick at 9600
        {"Option9", "Option5", "Command8", 0, 201},  // and 8 bytes at 19200
        {"Option10", "Option5", "Command15", 0, 21}, // Zoom +, 50 ms
        {"Option10", "Option8", "Command60", 0, 21}, // lens shift, 50 ms
        {"Option9", "Option3", "Command8", 1, 1},    // the serial layer is still writing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.speed) + " " + std::string(c.address) + " " + std::string(c.held));
        FakeDisplay d;
        FakeSerialControl s;
        ManualClock t;
        Form1 f{d, s, t};
        f.Form_Load();
        ASSERT_TRUE(f.Option_Click(c.speed) && f.Option_Click(c.address));
        ASSERT_TRUE(f.Command_MouseDown("Command49") && f.Command_MouseUp("Command49")); // arrows at 5 ms
        t.advance(10000);
        s.writes.clear();
        s.unsent = c.unsent;
        ASSERT_TRUE(f.Command_MouseDown(c.held));
        t.advance(1000);
        ASSERT_TRUE(f.Command_MouseUp(c.held));
        EXPECT_EQ(s.writes.size(), c.frames);
        ASSERT_TRUE(f.Command_Click("Command44")) << "a click is never held back";
        EXPECT_EQ(s.writes.size(), c.frames + 1);
    }
}

TEST_F(PanelHold, ReleaseClearsAndRestores)
{
    ASSERT_TRUE(form.Command_Click("Command44")); // STATUS
    comm.receive("80\r");
    clock.advance(600);
    ASSERT_TRUE(form.Command_MouseDown("Command49")); // D.Zoom -, 200/245
    clock.advance(100);
    comm.receive("0");
    ASSERT_TRUE(form.Command_MouseUp("Command49"));

    EXPECT_EQ(form.repeatCode(), 0);
    EXPECT_EQ(label("Label11") + label("Label12") + form.rxBuffer(), "");
    EXPECT_FALSE(form.timer1().isActive() || form.timer2().isActive());
    EXPECT_EQ(form.timer2().interval(), 500);
    EXPECT_EQ(form.timer4().interval(), 1000);

    clock.advance(999);
    EXPECT_EQ(label("Label22"), " Stand by") << "the clear moved to 1000 ms after release";
    clock.advance(1);
    EXPECT_EQ(label("Label12") + label("Label22"), "");
    EXPECT_EQ(comm.writes.size(), 2u) << "no frame on release";

    // A release inside the reply window leaves no missing-reply mark.
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

} // namespace
} // namespace qm5::test
