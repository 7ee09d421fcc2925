// The real window, on real Qt timers and the real QSerialPort, talking over a
// pseudo-terminal to virtual projectors in the same process.

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "layout/control_names.hpp"
#include "line.hpp"
#include "path_link.hpp"
#include "pty_endpoint.hpp"
#include "rig/eventually.hpp"
#include "rig/panel_rig.hpp"

namespace qm5::test {
namespace {

namespace c = controls;

// Waits until a line of the window reads text; PRESS clicks a button first.
#define AWAIT(control, text) QM5_ASSERT_EVENTUALLY_EQ(panel->caption(control), std::string(text), waitMs)
#define PRESS(button, control, text)                                                                                   \
    do {                                                                                                               \
        panel->click(button);                                                                                          \
        AWAIT(control, text);                                                                                          \
    } while (0)

// Port 1 is a link to the projectors' terminal, as udev makes for an adapter.
struct EndToEnd : ::testing::Test {
    // Short power sequences keep the tests quick.
    void start(std::vector<int> addresses, sim::ProjectorTiming timing = {1200, 1200})
    {
        line = std::make_unique<sim::Line>(addresses, sim::LineOptions{.timing = timing});
        endpoint = std::make_unique<sim::PtyEndpoint>(*line);
        ASSERT_TRUE(endpoint->open());
        plugIn();
        panel = std::make_unique<PanelRig>(port1, "/nonexistent/qm5rsc-e2e-com2");
    }
    void plugIn() { ASSERT_TRUE(link.create(endpoint->slavePath(), port1)); }
    // Lets the previous exchange finish so its reply cannot run into the next.
    static void settle() { QTest::qWait(600); }

    QTemporaryDir scratch;
    const std::string port1 = scratch.filePath("qm5rsc-com1").toStdString();
    sim::PathLink link;
    std::unique_ptr<sim::Line> line;
    std::unique_ptr<sim::PtyEndpoint> endpoint;
    std::unique_ptr<PanelRig> panel;
};

TEST_F(EndToEnd, StatusInStandbyThenThroughThePowerSequence)
{
    // The count down is long enough that a loaded machine, which may take
    // a while to send the next query, still asks inside it.
    start({1}, {3000, 1200});
    PRESS(c::statusQuery, c::statusLine, " Stand by");
    EXPECT_EQ(panel->caption(c::txdLine), " C R 0 CR ");
    AWAIT(c::rxdLine, " 8 0 CR "); // the CR may come in a read of its own
    settle();
    PRESS(c::powerOn, c::rxdLine, " ACK ");
    QTest::qWait(520); // a query inside ON's reply window would find the ACK ahead of its reply
    PRESS(c::statusQuery, c::statusLine, " Count down");
    // Asked again until the lamps are lit, however long the machine takes.
    for (int asked = 0; asked < 10 && panel->caption(c::statusLine) != " Power ON"; ++asked) {
        settle();
        panel->click(c::statusQuery);
        QTest::qWait(200);
    }
    AWAIT(c::statusLine, " Power ON");
    AWAIT(c::statusLine, ""); // the display clears itself a second after the send
    EXPECT_EQ(panel->caption(c::txdLine), "");
}

TEST_F(EndToEnd, AddressedFramesReachOnlyTheirProjector)
{
    start({1, 2});
    // Unaddressed, two projectors keep quiet rather than talk over each other.
    PRESS(c::statusQuery, c::rxdLine, " X X X X");
    panel->click(c::address002);
    settle();
    PRESS(c::lampTimeQuery, c::statusLine, " 1 1 2 0   1 3 4 0   1 5 6 0   1 7 8 0 Hour Use");
    settle();
    PRESS(c::powerOn, c::rxdLine, " ACK ");
    EXPECT_TRUE(line->projector(2)->power() == sim::PowerState::CountDown
        && line->projector(1)->power() == sim::PowerState::Standby);
    // "ALL" is carried out by every projector and answered by none.
    panel->click(c::allAddress);
    settle();
    PRESS(c::powerOff, c::rxdLine, " X X X X");
    EXPECT_EQ(line->recentFrames().back(), "AFFFC01");
    EXPECT_EQ(line->projector(2)->power(), sim::PowerState::Cooling);
}

TEST_F(EndToEnd, OneSecondHoldOfZoomSendsAboutTwentyOneFrames)
{
    start({1});
    QTest::mousePress(panel->control(c::zoomPlus), Qt::LeftButton);
    QTest::qWait(1000);
    QTest::mouseRelease(panel->control(c::zoomPlus), Qt::LeftButton);
    const std::size_t atRelease = line->framesReceived();
    QTest::qWait(300);
    EXPECT_TRUE(line->framesReceived() >= 15u && line->framesReceived() <= 23u) << line->framesReceived();
    EXPECT_LE(line->framesReceived() - atRelease, 1u) << "only what was on the wire at the release";
    EXPECT_EQ(line->projector(1)->setting(sim::Setting::Zoom), int(line->framesReceived()));
}

// The far end goes and comes back under the same name; a missing port 2 is
// reported with its path, and port 1 stays the port in use.
TEST_F(EndToEnd, ALostLineComesBackAndAMissingPortIsReported)
{
    start({1});
    endpoint->close();
    QM5_ASSERT_EVENTUALLY(!panel->serial().isOpen(), waitMs);
    PRESS(c::statusQuery, c::rxdLine, " X X X X");
    ASSERT_TRUE(endpoint->open());
    plugIn();
    settle();
    PRESS(c::statusQuery, c::statusLine, " Stand by");
    EXPECT_TRUE(panel->warnings.empty()) << "a lost device raises no message box";

    panel->click(c::comButton);
    panel->click(c::com2);
    EXPECT_EQ(panel->warnings, std::vector<std::string>{"/nonexistent/qm5rsc-e2e-com2: No such file or directory"});
    EXPECT_TRUE(panel->serial().portNumber() == 1 && !panel->serial().isOpen());
    EXPECT_TRUE(panel->control(c::com1)->property("checked").toBool()) << "the checked option names the port in use";
    settle();
    PRESS(c::statusQuery, c::statusLine, " Stand by");
    EXPECT_EQ(panel->ends, 0);
}

} // namespace
} // namespace qm5::test
