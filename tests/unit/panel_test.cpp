// The buttons: what each one does to a virtual projector, one-shot and held;
// the arrow contexts, holds paced by the line, SEND and CLS.

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "layout/layout_table.hpp"
#include "panel/command_catalogue.hpp"
#include "panel/repeat_table.hpp"
#include "support/logic.hpp"

namespace qm5::test {
namespace {

using sim::Setting;

// Every button of the layout has exactly one action: a frame of its own, a
// hold, or one of the five handlers of their own (which send no fixed frame).
TEST(Catalogue, EveryButtonHasOneActionAndEveryCodeIsDistinct)
{
    std::multiset<std::string_view> acting;
    std::set<std::string_view> codes;
    for (const auto& b : oneShotButtons) {
        acting.insert(b.control);
        EXPECT_TRUE(codes.insert(b.code).second) << b.code;
    }
    for (const auto& b : heldButtons) {
        acting.insert(b.control);
        EXPECT_TRUE(codes.insert(b.code).second) << b.code;
    }
    for (auto own : {c::endButton, c::sendButton, c::clearTextButton, c::comButton, c::dataButton})
        acting.insert(own);
    std::size_t buttons = 0;
    for (const ControlSpec& row : layoutControls) {
        if (row.kind == ControlKind::Button) {
            ++buttons;
            EXPECT_EQ(acting.count(row.name), 1u) << row.name;
        }
    }
    EXPECT_EQ(acting.size(), buttons);
}

using Check = std::function<int(const sim::Projector&)>;
Check setting(Setting s)
{
    return [s](const sim::Projector& p) { return p.setting(s); };
}

// The lamps a LAMP SELECT caption names: "4 LAMP" all four, "a-b" lamps a and b.
int lampsNamedBy(std::string_view caption)
{
    if (caption == "4 LAMP")
        return 0xF;
    if (caption.size() != 3 || caption[1] != '-')
        return -1;
    return (1 << (caption[0] - '1')) | (1 << (caption[2] - '1'));
}

// One click each, in this order, on one projector: the state it leaves.
TEST(Buttons, EachOneShotButtonDoesWhatItsCaptionSays)
{
    const Check power = [](const sim::Projector& p) { return int(p.power()); };
    const Check input = [](const sim::Projector& p) { return p.input(); };
    const Check noShow = [](const sim::Projector& p) { return int(p.noShow()); };
    const Check lamps = [](const sim::Projector& p) { return int(p.lampsLit()); };
    const Check fan = [](const sim::Projector& p) { return int(p.fanMax()); };
    const std::tuple<std::string_view, Check, int> steps[] = {{c::powerOn, power, int(sim::PowerState::On)},
        {c::noShowOn, noShow, 1}, {c::noShowOff, noShow, 0}, {c::inputMode3, input, 3}, {c::inputMode2, input, 2},
        {c::inputMode4, input, 4}, {c::inputMode1, input, 1}, {c::sizeWide, setting(Setting::Wide), 1},
        {c::sizeRegular, setting(Setting::Wide), 0}, {c::menuOn, setting(Setting::Menu), 1},
        {c::menuOff, setting(Setting::Menu), 0}, {c::freezeOn, setting(Setting::Freeze), 1},
        {c::freezeOff, setting(Setting::Freeze), 0}, {c::lamps1And4, lamps, lampsNamedBy(captionOf(c::lamps1And4))},
        {c::lamps2And3, lamps, lampsNamedBy(captionOf(c::lamps2And3))},
        {c::fourLamps, lamps, lampsNamedBy(captionOf(c::fourLamps))}, {c::fanMax, fan, 1}, {c::fanNormal, fan, 0},
        {c::autoPcAdjust, setting(Setting::AutoAdjusts), 1}, {c::imageKey, setting(Setting::ImageKeys), 1},
        {c::pictureTimer, setting(Setting::TimerKeys), 1}, {c::displayClear, setting(Setting::DisplayClears), 1},
        {c::pictureReal, setting(Setting::Picture), 1}, {c::pictureCinema, setting(Setting::Picture), 2},
        {c::pictureImage1, setting(Setting::Picture), 3}, {c::pictureImage2, setting(Setting::Picture), 4},
        {c::pictureImage3, setting(Setting::Picture), 5}, {c::pictureImage4, setting(Setting::Picture), 6},
        {c::pictureStand, setting(Setting::Picture), 0}, {c::powerOff, power, int(sim::PowerState::Standby)}};
    SimLogic rig;
    for (const auto& [button, check, expected] : steps) {
        ASSERT_TRUE(rig.panel.clicked(button));
        rig.clock.advance(10);
        EXPECT_EQ(check(rig.projector()), expected) << button;
        EXPECT_EQ(rig.shown(c::rxdLine), " ACK ") << button;
        rig.clock.advance(10000);
    }
    // The matrix: row n gives input n the source of the column's caption.
    for (std::size_t row = 0; row < 4; ++row) {
        for (std::size_t col = 0; col < 8; ++col) {
            ASSERT_TRUE(rig.panel.clicked(c::inputMatrix[row][col]));
            rig.clock.advance(10);
            EXPECT_EQ(rig.projector().input(), int(row) + 1) << c::inputMatrix[row][col];
            EXPECT_EQ(rig.projector().inputSource(int(row) + 1), sim::sourceWords[col]) << c::inputMatrix[row][col];
        }
    }
}

// Each query, asked of a projector in standby, shows its decoded answer.
TEST(Buttons, EachQueryShowsItsAnswer)
{
    const std::tuple<std::string_view, std::string_view, std::string_view> queries[] = {
        {c::statusQuery, c::statusLine, " Stand by"}, {c::modeQuery, c::statusLine, " Input mode 1"},
        {c::orientationQuery, c::statusLine, " Normally"}, {c::lampModeQuery, c::statusLine, " All OFF : 4 Lamp mode"},
        {c::lampTimeQuery, c::statusLine, " 0 1 2 0   0 3 4 0   0 5 6 0   0 7 8 0 Hour Use"},
        {c::temperatureQuery, c::statusLine, "  S1= 0 2 5 . 0 C  ,   S2=  2 5 . 0 C"},
        {c::pcTypeQuery, c::statusLine, " Q M 5 CR "}, {c::pressureQuery, c::statusLine, "1013 hPa"},
        {c::powerFailQuery, c::rxdLine, " 0 0 0 0 CR "}, {c::muteQuery, c::statusLine, " Stand by"}};
    SimLogic rig;
    for (const auto& [button, shownIn, text] : queries) {
        ASSERT_TRUE(rig.panel.clicked(button));
        rig.clock.advance(10);
        EXPECT_EQ(rig.shown(shownIn), text) << button;
        rig.clock.advance(10000);
    }
    rig.projector().execute("C00", rig.clock.now());
    rig.panel.clicked(c::powerOn);
    rig.panel.clicked(c::noShowOn);
    rig.clock.advance(10000);
    rig.panel.clicked(c::muteQuery);
    rig.clock.advance(10);
    EXPECT_EQ(rig.shown(c::statusLine), " Video & Audio mute ON");
}

// Held for a second: one step at the press and one a repeat; the sign says
// which way the caption points.
TEST(Buttons, EachHeldButtonMovesItsSettingWhileHeld)
{
    const std::tuple<std::string_view, Setting, int> holds[] = {{c::zoomPlus, Setting::Zoom, 21},
        {c::zoomMinus, Setting::Zoom, -21}, {c::focusPlus, Setting::Focus, 21}, {c::focusMinus, Setting::Focus, -21},
        {c::digitalZoomPlus, Setting::DigitalZoom, 5}, {c::digitalZoomMinus, Setting::DigitalZoom, -5},
        {c::keystonePlus, Setting::Keystone, 5}, {c::keystoneMinus, Setting::Keystone, -5},
        {c::shiftUp, Setting::ShiftY, 21}, {c::shiftDown, Setting::ShiftY, -21}, {c::shiftLeft, Setting::ShiftX, -21},
        {c::shiftRight, Setting::ShiftX, 21}, {c::cursorSelect, Setting::Selects, 3},
        {c::cursorUp, Setting::CursorY, 6}, {c::cursorDown, Setting::CursorY, -6},
        {c::cursorLeft, Setting::CursorX, -6}, {c::cursorRight, Setting::CursorX, 6}};
    for (const auto& [button, moved, steps] : holds) {
        SimLogic rig;
        rig.hold(button, 1010);
        rig.clock.advance(100);
        EXPECT_EQ(rig.projector().setting(moved), steps) << button;
        EXPECT_EQ(rig.serial.writes.size(), std::size_t(std::abs(steps))) << button;
    }
}

// The arrows repeat at the repeat timer's last interval and take their reply
// times from the context other buttons left.
TEST(Holds, ArrowsFollowTheContextLeftBehind)
{
    struct Case {
        std::vector<std::string_view> before; // held or clicked
        std::string_view arrow, frame;
        int repeat, replyWindow, displayClear;
    };
    const Case cases[] = {
        {{}, c::cursorUp, "C3C\r", 200, 500, 1000},
        {{c::inputMatrix[0][7]}, c::cursorUp, "C3C\r", 200, 5000, 5500},
        {{c::menuOn}, c::cursorDown, "C3D\r", 200, 150, 190},
        {{c::autoPcAdjust}, c::cursorLeft, "C3B\r", 200, 150, 190},
        {{c::digitalZoomMinus}, c::cursorRight, "C3A\r", 5, 5, 5},
        {{c::keystonePlus}, c::cursorLeft, "C3B\r", 250, 500, 1000},
        {{c::digitalZoomPlus, c::menuOn}, c::cursorUp, "C3C\r", 200, 150, 190},
        {{c::digitalZoomPlus, c::zoomPlus}, c::cursorUp, "C3C\r", 50, 5, 5},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.before.empty() ? "start" : std::string(k.before.back()));
        Logic rig;
        for (auto button : k.before)
            ASSERT_TRUE(rig.panel.pressed(button) ? rig.panel.released(button) : rig.panel.clicked(button));
        rig.clock.advance(10000);
        rig.serial.writes.clear();
        ASSERT_TRUE(rig.panel.pressed(k.arrow));
        EXPECT_EQ(rig.exchange().replyTimer().interval(), k.replyWindow);
        EXPECT_EQ(rig.exchange().clearTimer().interval(), k.displayClear);
        rig.clock.advance(k.repeat - 1);
        EXPECT_EQ(rig.serial.writes.size(), 1u);
        rig.clock.advance(1);
        EXPECT_EQ(rig.serial.writes, std::vector<std::string>(2, std::string(k.frame)));
    }
}

// A repeat sends only once the line has carried the last frame (10 bits a
// byte at the current speed) and the serial layer holds nothing unwritten.
TEST(Holds, HoldsNeverOutrunTheLine)
{
    struct Case {
        std::string_view speed, address, held;
        std::size_t unsent, frames; // in a one-second hold, press included
    };
    const Case cases[] = {
        {c::speed9600, c::address001, c::cursorRight, 0, 101}, // "A001C3A" CR is 8.3 ms: every other 5 ms tick
        {c::speed9600, c::allAddress, c::cursorUp, 0, 101},
        {c::speed9600, c::singleAddress, c::cursorRight, 0, 201}, // 4 bytes fit a 5 ms tick at 9600
        {c::speed19200, c::address001, c::cursorRight, 0, 201},   // and 8 bytes at 19200
        {c::speed9600, c::address001, c::zoomPlus, 0, 21},
        {c::speed19200, c::singleAddress, c::cursorRight, 1, 1}, // the serial layer is still writing
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.speed) + " " + std::string(k.address) + " " + std::string(k.held));
        Logic rig;
        ASSERT_TRUE(rig.panel.optionChosen(k.speed) && rig.panel.optionChosen(k.address));
        rig.hold(c::digitalZoomMinus, 10); // arrows at 5 ms
        rig.clock.advance(10000);
        rig.serial.writes.clear();
        rig.serial.unsent = k.unsent;
        rig.hold(k.held, 1000);
        EXPECT_EQ(rig.serial.writes.size(), k.frames);
        ASSERT_TRUE(rig.panel.clicked(c::statusQuery));
        EXPECT_EQ(rig.serial.writes.size(), k.frames + 1) << "a click is never held back";
    }
}

TEST(Holds, ReleaseClearsAndRestoresAndTicksReadTheAddressAgain)
{
    Logic rig;
    rig.panel.clicked(c::statusQuery);
    rig.serial.receive("80\r");
    rig.clock.advance(600);
    ASSERT_TRUE(rig.panel.pressed(c::digitalZoomMinus)); // 200 / 245
    EXPECT_EQ(rig.exchange().replyTimer().interval(), 200);
    EXPECT_EQ(rig.exchange().clearTimer().interval(), 245);
    rig.clock.advance(100);
    rig.serial.receive("0");
    ASSERT_TRUE(rig.panel.released(c::digitalZoomMinus));
    EXPECT_EQ(rig.panel.holds().held(), nullptr);
    EXPECT_EQ(rig.shown(c::txdLine) + rig.shown(c::rxdLine) + rig.exchange().receiveBuffer(), "");
    EXPECT_FALSE(rig.panel.holds().repeatTimer().isActive() || rig.exchange().replyTimer().isActive());
    EXPECT_EQ(rig.exchange().replyTimer().interval(), 500);
    rig.clock.advance(999);
    EXPECT_EQ(rig.shown(c::statusLine), " Stand by") << "the clear moved to 1000 ms after release";
    rig.clock.advance(1);
    EXPECT_EQ(rig.shown(c::statusLine), "");
    EXPECT_EQ(rig.serial.writes.size(), 2u) << "no frame on release";

    rig.serial.writes.clear();
    rig.panel.pressed(c::zoomPlus);
    rig.clock.advance(50);
    rig.panel.optionChosen(c::address001);
    rig.clock.advance(50);
    rig.panel.optionChosen(c::allAddress);
    rig.clock.advance(50);
    rig.panel.released(c::zoomPlus);
    EXPECT_EQ(rig.serial.writes, (std::vector<std::string>{"C47\r", "C47\r", "A001C47\r", "AFFFC47\r"}));
    EXPECT_FALSE(rig.panel.clicked(c::zoomPlus)) << "a held button has no click";
}

// SEND sends the typed line as it is and keeps it; CLS only clears it.
TEST(FreeText, SendAndCls)
{
    const std::tuple<std::string_view, std::string, std::string, std::string> cases[] = {
        {c::singleAddress, "", "\r", ""},
        {c::address004, "", "A004\r", ""},
        {c::address001, "CR0", "A001CR0\r", " Stand by"},
        {c::singleAddress, " CR0", " CR0\r", ""}, // decoded only when equal to the button's code
        {c::singleAddress, "cr0", "cr0\r", ""},
    };
    Logic rig;
    for (const auto& [address, text, frame, status] : cases) {
        ASSERT_TRUE(rig.panel.optionChosen(address));
        EXPECT_TRUE(rig.serial.writes.empty()) << "an address choice sends nothing";
        rig.display.setText(c::commandText, text);
        ASSERT_TRUE(rig.panel.clicked(c::sendButton));
        ASSERT_EQ(rig.serial.writes, std::vector<std::string>{frame});
        EXPECT_EQ(rig.display.text(c::commandText), text);
        rig.serial.receive("80\r");
        EXPECT_EQ(rig.shown(c::statusLine), status) << frame;
        rig.clock.advance(10000);
        rig.serial.writes.clear();
    }
    rig.panel.clicked(c::sendButton);
    rig.panel.clicked(c::clearTextButton);
    EXPECT_EQ(rig.display.text(c::commandText), "");
    EXPECT_EQ(rig.shown(c::txdLine), " c r 0 CR ") << "CLS leaves the exchange alone";
    EXPECT_EQ(rig.serial.writes.size(), 1u);
}

} // namespace
} // namespace qm5::test
