// The real window, offscreen, on real Qt timers and the real QSerialPort,
// talking over a pseudo-terminal to virtual projectors in the same process.
// Waits are bounded event-loop waits; counts are checked within ranges.

#include <QAbstractButton>
#include <QTest>

#include "qt_support/eventually.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "line.hpp"
#include "pty_endpoint.hpp"
#include "qt/form1_window.hpp"
#include "qt/qt_serial_control.hpp"
#include "qt/qt_timer.hpp"

namespace qm5::test {
namespace {

constexpr int waitMs = 5000;

class EndToEnd : public ::testing::Test {
protected:
    void start(std::vector<int> addresses, sim::LineOptions options = {})
    {
        // Short power sequences keep the tests quick.
        options.timing.countDownMs = 1200;
        options.timing.coolingMs = 1200;
        line = std::make_unique<sim::Line>(addresses, options);
        endpoint = std::make_unique<sim::PtyEndpoint>(*line);
        std::string error;
        ASSERT_TRUE(endpoint->open(&error)) << error;
        // The map asks the endpoint each time, so a reopened terminal is found.
        comm = std::make_unique<QtSerialControl>([this](int port) -> std::string {
            if (port == 1)
                return endpoint->slavePath();
            return port == 2 ? "/nonexistent/qm5rsc-e2e-com2" : "";
        });
        window = std::make_unique<Form1Window>(*comm, timers);
        window->setWarningHandler([this](const QString& text) { warnings.push_back(text.toStdString()); });
        window->setEndHandler([this] { ++ends; });
        window->form().Form_Load();
        window->show();
        ASSERT_TRUE(comm->portOpen());
        ASSERT_TRUE(warnings.empty());
    }

    void TearDown() override
    {
        window.reset();
        comm.reset();
        endpoint.reset();
    }

    QWidget* control(const char* name) { return window->control(name); }
    std::string label(const char* name) { return window->caption(name); }
    void click(const char* name) { QTest::mouseClick(control(name), Qt::LeftButton); }

    // Lets the previous exchange finish so its reply cannot run into the next.
    void settle() { QTest::qWait(600); }

    QtTimerFactory timers;
    std::unique_ptr<sim::Line> line;
    std::unique_ptr<sim::PtyEndpoint> endpoint;
    std::unique_ptr<QtSerialControl> comm;
    std::unique_ptr<Form1Window> window;
    std::vector<std::string> warnings;
    int ends = 0;
};

TEST_F(EndToEnd, StatusInStandbyThenThroughThePowerSequence)
{
    start({1});
    click("Command44");
    QM5_ASSERT_EVENTUALLY_EQ(label("Label22"), std::string(" Stand by"), waitMs);
    EXPECT_EQ(label("Label11"), " C R 0 CR ");
    EXPECT_EQ(label("Label12"), " 8 0 CR ");

    settle();
    click("Command17"); // ON
    QM5_ASSERT_EVENTUALLY_EQ(label("Label12"), std::string(" ACK "), waitMs);
    // A query inside ON's reply window would find the ACK ahead of its reply.
    QTest::qWait(520);
    click("Command44");
    QM5_ASSERT_EVENTUALLY_EQ(label("Label22"), std::string(" Count down"), waitMs);
    QTest::qWait(1000);
    click("Command44");
    QM5_ASSERT_EVENTUALLY_EQ(label("Label22"), std::string(" Power ON"), waitMs);
    // The display clears itself a second after the send.
    QM5_ASSERT_EVENTUALLY_EQ(label("Label22"), std::string(), waitMs);
    EXPECT_EQ(label("Label11"), "");
}

TEST_F(EndToEnd, EveryQueryIsDecoded)
{
    start({1});
    struct Row {
        const char* button;
        const char* status;
    };
    const Row rows[] = {
        {"Command45", " Input mode 1"},
        {"Command47", " Normally"},
        {"Command12", " Stand by"},
        {"Command55", " All OFF : 4 Lamp mode"},
        {"Command46", " 0 1 2 0   0 3 4 0   0 5 6 0   0 7 8 0 Hour Use"},
        {"Command54", "  S1= 0 2 5 . 0 C  ,   S2=  2 5 . 0 C"},
        {"Command38", " Q M 5 CR "},
        {"Command99", "1013 hPa"},
    };
    for (const Row& r : rows) {
        click(r.button);
        QM5_ASSERT_EVENTUALLY_EQ(label("Label22"), std::string(r.status), waitMs);
        settle();
        QM5_ASSERT_EVENTUALLY_EQ(label("Label22"), std::string(), waitMs);
    }
    // P-FAIL has no decoder: the reply shows only as its transcript.
    click("Command52");
    QM5_ASSERT_EVENTUALLY_EQ(label("Label12"), std::string(" 0 0 0 0 CR "), waitMs);
    EXPECT_EQ(label("Label22"), "");
}

TEST_F(EndToEnd, AddressedFramesReachOnlyTheirProjector)
{
    start({1, 2});
    // Unaddressed, two projectors keep quiet rather than talk over each other.
    click("Command44");
    QM5_ASSERT_EVENTUALLY_EQ(label("Label12"), std::string(" X X X X"), waitMs);

    QTest::mouseClick(control("Option6"), Qt::LeftButton); // "002"
    ASSERT_EQ(window->form().targetPrefix(), "A002");
    settle();
    click("Command46");
    QM5_ASSERT_EVENTUALLY_EQ(label("Label22"), std::string(" 1 1 2 0   1 3 4 0   1 5 6 0   1 7 8 0 Hour Use"),
                              waitMs);
    settle();
    click("Command17"); // ON for 002 alone
    QM5_ASSERT_EVENTUALLY_EQ(label("Label12"), std::string(" ACK "), waitMs);
    EXPECT_EQ(line->projector(2)->power(), sim::PowerState::CountDown);
    EXPECT_EQ(line->projector(1)->power(), sim::PowerState::Standby);

    // "ALL" is carried out by every projector and answered by none.
    QTest::mouseClick(control("Option4"), Qt::LeftButton);
    settle();
    click("Command18"); // OFF
    QM5_ASSERT_EVENTUALLY_EQ(label("Label12"), std::string(" X X X X"), waitMs);
    EXPECT_EQ(line->recentFrames().back(), "AFFFC01");
    EXPECT_EQ(line->projector(2)->power(), sim::PowerState::Cooling);
}

TEST_F(EndToEnd, OneSecondHoldOfZoomSendsAboutTwentyOneFrames)
{
    start({1});
    const std::size_t before = line->framesReceived();
    QTest::mousePress(control("Command15"), Qt::LeftButton);
    QTest::qWait(1000);
    QTest::mouseRelease(control("Command15"), Qt::LeftButton);
    const std::size_t atRelease = line->framesReceived();
    QTest::qWait(300);
    const std::size_t sent = line->framesReceived() - before;
    EXPECT_GE(sent, 15u);
    EXPECT_LE(sent, 23u);
    // Only what was already on the wire at the release arrives after it.
    EXPECT_LE(line->framesReceived() - atRelease, 1u);
    EXPECT_EQ(line->recentFrames().back(), "C47");
    EXPECT_EQ(window->form().repeatCode(), 0);
}

TEST_F(EndToEnd, SilentProjectorIsMarkedMissing)
{
    sim::LineOptions options;
    options.fault = sim::Fault::Silent;
    start({1}, options);
    click("Command44");
    QM5_ASSERT_EVENTUALLY_EQ(label("Label12"), std::string(" X X X X"), waitMs);
    EXPECT_EQ(label("Label22"), "");
}

TEST_F(EndToEnd, FarEndClosingLeavesThePanelRunningAndTheNextPressRecovers)
{
    start({1});
    endpoint->close();
    QM5_ASSERT_EVENTUALLY(!comm->portOpen(), waitMs);
    EXPECT_TRUE(warnings.empty()) << "a lost device raises no message box";

    // With the far end gone a press goes nowhere and is marked missing.
    click("Command44");
    QM5_ASSERT_EVENTUALLY_EQ(label("Label12"), std::string(" X X X X"), waitMs);
    EXPECT_FALSE(comm->portOpen());

    std::string error;
    ASSERT_TRUE(endpoint->open(&error)) << error;
    settle();
    click("Command44");
    QM5_ASSERT_EVENTUALLY_EQ(label("Label22"), std::string(" Stand by"), waitMs);
    EXPECT_TRUE(comm->portOpen());
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(ends, 0);
}

TEST_F(EndToEnd, ChoosingAMissingPortWarnsWithItsPath)
{
    start({1});
    click("Command33");
    QTest::mouseClick(control("Option2"), Qt::LeftButton);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "/nonexistent/qm5rsc-e2e-com2: No such file or directory");
    EXPECT_EQ(comm->commPort(), 1);
    EXPECT_FALSE(comm->portOpen());
    // Port 1 is still there: the next press reopens it and is answered.
    click("Command44");
    QM5_ASSERT_EVENTUALLY_EQ(label("Label22"), std::string(" Stand by"), waitMs);
}

} // namespace
} // namespace qm5::test
