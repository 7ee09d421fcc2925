// The real window, offscreen, on real Qt timers and the real QSerialPort,
// talking over a pseudo-terminal to virtual projectors in the same process.

#include <QAbstractButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "line.hpp"
#include "path_link.hpp"
#include "pty_endpoint.hpp"
#include "qt/panel_window.hpp"
#include "qt/qt_serial_control.hpp"
#include "qt/qt_timer.hpp"
#include "rig/eventually.hpp"
#include "window/control_names.hpp"

namespace qm5::test {
namespace {

namespace c = controls;

// Waits until a line of the window reads text; PRESS clicks a button first.
#define AWAIT(control, text) QM5_ASSERT_EVENTUALLY_EQ(window->caption(control), std::string(text), 5000)
#define PRESS(button, control, text)                                                                                   \
    do {                                                                                                               \
        click(button);                                                                                                 \
        AWAIT(control, text);                                                                                          \
    } while (0)

class EndToEnd : public ::testing::Test {
protected:
    void start(std::vector<int> addresses, sim::Fault fault = sim::Fault::None)
    {
        // Short power sequences keep the tests quick.
        line = std::make_unique<sim::Line>(addresses, sim::LineOptions{.fault = fault, .timing = {1200, 1200}});
        endpoint = std::make_unique<sim::PtyEndpoint>(*line);
        std::string error;
        ASSERT_TRUE(endpoint->open(&error)) << error;
        // Port 1 is a link to the terminal, as udev makes for an adapter.
        plugIn();
        comm = std::make_unique<QtSerialControl>([this](int port) -> std::string {
            return port == 1 ? port1 : port == 2 ? "/nonexistent/qm5rsc-e2e-com2" : "";
        });
        window = std::make_unique<PanelWindow>(*comm, timers);
        window->setWarningHandler([this](const QString& text) { warnings.push_back(text.toStdString()); });
        window->setEndHandler([this] { ++ends; });
        window->panel().load();
        window->show();
    }

    void plugIn() { ASSERT_TRUE(link.create(endpoint->slavePath(), port1)); }
    void click(std::string_view name) { QTest::mouseClick(window->control(name), Qt::LeftButton); }
    // Lets the previous exchange finish so its reply cannot run into the next.
    static void settle() { QTest::qWait(600); }

    QTemporaryDir scratch;
    const std::string port1 = scratch.filePath("qm5rsc-com1").toStdString();
    sim::PathLink link;
    std::vector<std::string> warnings;
    int ends = 0;
    QtClock timers;
    std::unique_ptr<sim::Line> line;
    std::unique_ptr<sim::PtyEndpoint> endpoint;
    std::unique_ptr<QtSerialControl> comm;
    std::unique_ptr<PanelWindow> window;
};

TEST_F(EndToEnd, StatusInStandbyThenThroughThePowerSequence)
{
    start({1});
    PRESS(c::statusQuery, c::statusLine, " Stand by");
    EXPECT_TRUE(window->caption(c::txdLine) == " C R 0 CR " && window->caption(c::rxdLine) == " 8 0 CR ");
    settle();
    PRESS(c::powerOn, c::rxdLine, " ACK "); // ON
    QTest::qWait(520);                      // a query inside ON's reply window would find the ACK ahead of its reply
    PRESS(c::statusQuery, c::statusLine, " Count down");
    QTest::qWait(1000);
    PRESS(c::statusQuery, c::statusLine, " Power ON");
    AWAIT(c::statusLine, ""); // the display clears itself a second after the send
    EXPECT_EQ(window->caption(c::txdLine), "");
}

TEST_F(EndToEnd, EveryQueryIsDecoded)
{
    start({1});
    const std::pair<std::string_view, const char*> rows[] = {{c::modeQuery, " Input mode 1"},
        {c::settingQuery, " Normally"}, {c::setting2Query, " Stand by"}, {c::lampModeQuery, " All OFF : 4 Lamp mode"},
        {c::lampTimeQuery, " 0 1 2 0   0 3 4 0   0 5 6 0   0 7 8 0 Hour Use"},
        {c::temperatureQuery, "  S1= 0 2 5 . 0 C  ,   S2=  2 5 . 0 C"}, {c::pcTypeQuery, " Q M 5 CR "},
        {c::pressureQuery, "1013 hPa"}};
    for (const auto& [button, status] : rows) {
        PRESS(button, c::statusLine, status);
        settle();
        AWAIT(c::statusLine, "");
    }
}

TEST_F(EndToEnd, AddressedFramesReachOnlyTheirProjector)
{
    start({1, 2});
    // Unaddressed, two projectors keep quiet rather than talk over each other.
    PRESS(c::statusQuery, c::rxdLine, " X X X X");
    click(c::address002); // "002"
    settle();
    PRESS(c::lampTimeQuery, c::statusLine, " 1 1 2 0   1 3 4 0   1 5 6 0   1 7 8 0 Hour Use");
    settle();
    PRESS(c::powerOn, c::rxdLine, " ACK "); // ON for 002 alone
    EXPECT_TRUE(line->projector(2)->power() == sim::PowerState::CountDown
        && line->projector(1)->power() == sim::PowerState::Standby);
    // "ALL" is carried out by every projector and answered by none.
    click(c::allAddress);
    settle();
    PRESS(c::powerOff, c::rxdLine, " X X X X"); // OFF
    EXPECT_EQ(line->recentFrames().back(), "AFFFC01");
    EXPECT_EQ(line->projector(2)->power(), sim::PowerState::Cooling);
}

TEST_F(EndToEnd, OneSecondHoldOfZoomSendsAboutTwentyOneFrames)
{
    start({1});
    QTest::mousePress(window->control(c::zoomPlus), Qt::LeftButton);
    QTest::qWait(1000);
    QTest::mouseRelease(window->control(c::zoomPlus), Qt::LeftButton);
    const std::size_t atRelease = line->framesReceived();
    QTest::qWait(300);
    EXPECT_TRUE(line->framesReceived() >= 15u && line->framesReceived() <= 23u) << line->framesReceived();
    // Only what was already on the wire at the release arrives after it.
    EXPECT_LE(line->framesReceived() - atRelease, 1u);
    EXPECT_EQ(line->recentFrames().back(), "C47");
}

TEST_F(EndToEnd, SilentProjectorIsMarkedMissing)
{
    start({1}, sim::Fault::Silent);
    PRESS(c::statusQuery, c::rxdLine, " X X X X");
    EXPECT_EQ(window->caption(c::statusLine), "");
}

TEST_F(EndToEnd, FarEndClosingLeavesThePanelRunningAndTheNextPressRecovers)
{
    start({1});
    endpoint->close();
    QM5_ASSERT_EVENTUALLY(!comm->isOpen(), 5000);
    // With the far end gone a press goes nowhere and is marked missing.
    PRESS(c::statusQuery, c::rxdLine, " X X X X");
    ASSERT_TRUE(endpoint->open());
    plugIn();
    settle();
    PRESS(c::statusQuery, c::statusLine, " Stand by");
    EXPECT_TRUE(comm->isOpen());
    EXPECT_TRUE(warnings.empty()) << "a lost device raises no message box";
    EXPECT_EQ(ends, 0);
}

TEST_F(EndToEnd, ChoosingAMissingPortWarnsWithItsPath)
{
    start({1});
    click(c::comButton);
    click(c::com2);
    EXPECT_EQ(warnings, std::vector<std::string>{"/nonexistent/qm5rsc-e2e-com2: No such file or directory"});
    EXPECT_TRUE(comm->portNumber() == 1 && !comm->isOpen());
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(window->control(c::com1))->isChecked())
        << "the checked option names the port in use";
    // Port 1 is still there: the next press reopens it and is answered.
    PRESS(c::statusQuery, c::statusLine, " Stand by");
}

} // namespace
} // namespace qm5::test
