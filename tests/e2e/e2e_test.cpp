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
#include "qt/form1_window.hpp"
#include "qt/qt_serial_control.hpp"
#include "qt/qt_timer.hpp"
#include "qt_support/eventually.hpp"

namespace qm5::test {
namespace {

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
        window = std::make_unique<Form1Window>(*comm, timers);
        window->setWarningHandler([this](const QString& text) { warnings.push_back(text.toStdString()); });
        window->setEndHandler([this] { ++ends; });
        window->form().Form_Load();
        window->show();
    }

    void plugIn() { ASSERT_TRUE(link.create(endpoint->slavePath(), port1)); }
    void click(const char* name) { QTest::mouseClick(window->control(name), Qt::LeftButton); }
    // Lets the previous exchange finish so its reply cannot run into the next.
    static void settle() { QTest::qWait(600); }

    QTemporaryDir scratch;
    const std::string port1 = scratch.filePath("qm5rsc-com1").toStdString();
    sim::PathLink link;
    std::vector<std::string> warnings;
    int ends = 0;
    QtTimerFactory timers;
    std::unique_ptr<sim::Line> line;
    std::unique_ptr<sim::PtyEndpoint> endpoint;
    std::unique_ptr<QtSerialControl> comm;
    std::unique_ptr<Form1Window> window;
};

TEST_F(EndToEnd, StatusInStandbyThenThroughThePowerSequence)
{
    start({1});
    PRESS("Command44", "Label22", " Stand by");
    EXPECT_TRUE(window->caption("Label11") == " C R 0 CR " && window->caption("Label12") == " 8 0 CR ");
    settle();
    PRESS("Command17", "Label12", " ACK "); // ON
    QTest::qWait(520);                      // a query inside ON's reply window would find the ACK ahead of its reply
    PRESS("Command44", "Label22", " Count down");
    QTest::qWait(1000);
    PRESS("Command44", "Label22", " Power ON");
    AWAIT("Label22", ""); // the display clears itself a second after the send
    EXPECT_EQ(window->caption("Label11"), "");
}

TEST_F(EndToEnd, EveryQueryIsDecoded)
{
    start({1});
    const std::pair<const char*, const char*> rows[] = {{"Command45", " Input mode 1"}, {"Command47", " Normally"},
        {"Command12", " Stand by"}, {"Command55", " All OFF : 4 Lamp mode"},
        {"Command46", " 0 1 2 0   0 3 4 0   0 5 6 0   0 7 8 0 Hour Use"},
        {"Command54", "  S1= 0 2 5 . 0 C  ,   S2=  2 5 . 0 C"}, {"Command38", " Q M 5 CR "}, {"Command99", "1013 hPa"}};
    for (const auto& [button, status] : rows) {
        PRESS(button, "Label22", status);
        settle();
        AWAIT("Label22", "");
    }
}

TEST_F(EndToEnd, AddressedFramesReachOnlyTheirProjector)
{
    start({1, 2});
    // Unaddressed, two projectors keep quiet rather than talk over each other.
    PRESS("Command44", "Label12", " X X X X");
    click("Option6"); // "002"
    settle();
    PRESS("Command46", "Label22", " 1 1 2 0   1 3 4 0   1 5 6 0   1 7 8 0 Hour Use");
    settle();
    PRESS("Command17", "Label12", " ACK "); // ON for 002 alone
    EXPECT_TRUE(line->projector(2)->power() == sim::PowerState::CountDown
        && line->projector(1)->power() == sim::PowerState::Standby);
    // "ALL" is carried out by every projector and answered by none.
    click("Option4");
    settle();
    PRESS("Command18", "Label12", " X X X X"); // OFF
    EXPECT_EQ(line->recentFrames().back(), "AFFFC01");
    EXPECT_EQ(line->projector(2)->power(), sim::PowerState::Cooling);
}

TEST_F(EndToEnd, OneSecondHoldOfZoomSendsAboutTwentyOneFrames)
{
    start({1});
    QTest::mousePress(window->control("Command15"), Qt::LeftButton);
    QTest::qWait(1000);
    QTest::mouseRelease(window->control("Command15"), Qt::LeftButton);
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
    PRESS("Command44", "Label12", " X X X X");
    EXPECT_EQ(window->caption("Label22"), "");
}

TEST_F(EndToEnd, FarEndClosingLeavesThePanelRunningAndTheNextPressRecovers)
{
    start({1});
    endpoint->close();
    QM5_ASSERT_EVENTUALLY(!comm->portOpen(), 5000);
    // With the far end gone a press goes nowhere and is marked missing.
    PRESS("Command44", "Label12", " X X X X");
    ASSERT_TRUE(endpoint->open());
    plugIn();
    settle();
    PRESS("Command44", "Label22", " Stand by");
    EXPECT_TRUE(comm->portOpen());
    EXPECT_TRUE(warnings.empty()) << "a lost device raises no message box";
    EXPECT_EQ(ends, 0);
}

TEST_F(EndToEnd, ChoosingAMissingPortWarnsWithItsPath)
{
    start({1});
    click("Command33");
    click("Option2");
    EXPECT_EQ(warnings, std::vector<std::string>{"/nonexistent/qm5rsc-e2e-com2: No such file or directory"});
    EXPECT_TRUE(comm->commPort() == 1 && !comm->portOpen());
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(window->control("Option1"))->isChecked())
        << "the checked option names the port in use";
    // Port 1 is still there: the next press reopens it and is answered.
    PRESS("Command44", "Label22", " Stand by");
}

} // namespace
} // namespace qm5::test
