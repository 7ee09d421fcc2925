// The exchange routine, the receive path and the two one-shot timers on the manual clock;
// start-up, COM, port switching and the speed options with the fake serial control.

#include "support/form_fixture.hpp"

namespace qm5::test {
namespace {

class Exchange : public FormFixture {
protected:
    void sendStatus() { ASSERT_TRUE(form.Command_Click("Command44")); }
};

TEST_F(Exchange, StatusQueryEndToEnd)
{
    sendStatus();
    EXPECT_EQ(comm.writes, std::vector<std::string>{"CR0\r"});
    EXPECT_EQ(label("Label11"), " C R 0 CR ");
    EXPECT_EQ(form.awaitingReply(), 1);
    comm.raiseEvent(3); // a line-state change is no reply
    EXPECT_EQ(form.awaitingReply(), 1);
    clock.advance(30);
    comm.receive("8");
    EXPECT_EQ(label("Label12"), " 8 ");
    EXPECT_EQ(label("Label22"), "");
    EXPECT_EQ(form.awaitingReply(), 0);
    comm.receive("0\r");
    EXPECT_EQ(label("Label12"), " 8 0 CR ");
    EXPECT_EQ(label("Label22"), " Stand by");

    clock.advance(469); // 499 ms after the send: the reply window is still open
    EXPECT_EQ(form.rxBuffer(), "80\r");
    clock.advance(1);
    EXPECT_EQ(form.rxBuffer(), "");
    EXPECT_EQ(label("Label12"), " 8 0 CR ") << "an answered query keeps its reply on show";
    clock.advance(499);
    EXPECT_EQ(label("Label22"), " Stand by");
    clock.advance(1);
    EXPECT_EQ(label("Label11") + label("Label12") + label("Label22"), "");
    EXPECT_FALSE(form.timer2().isActive() || form.timer4().isActive());
}

// A missing reply: see IntervalsPersistAcrossSends.
TEST_F(Exchange, LateReplyIsShownAndDecoded)
{
    sendStatus();
    clock.advance(600);
    comm.receive("00\r");
    EXPECT_EQ(label("Label12"), " 0 0 CR ");
    EXPECT_EQ(label("Label22"), " Power ON");
    EXPECT_EQ(form.rxBuffer(), "00\r") << "no reply window is open to clear it";
}

TEST_F(Exchange, UnsolicitedCharactersStandBeforeTheNextReply)
{
    comm.receive("x");
    EXPECT_EQ(label("Label12"), " x ");
    sendStatus();
    comm.receive("80\r");
    EXPECT_EQ(label("Label12"), " x 8 0 CR ");
    EXPECT_EQ(label("Label22"), "") << "only the start of the buffer is decoded";
}

TEST_F(Exchange, SecondFrameWithinTheWindowKeepsBothReplies)
{
    sendStatus();
    comm.receive("00\r");
    clock.advance(300);
    sendStatus();
    comm.receive("80\r");
    EXPECT_EQ(label("Label12"), " 0 0 CR 8 0 CR ");
    EXPECT_EQ(label("Label22"), " Power ON");
    clock.advance(499); // the second send restarted the reply window
    EXPECT_EQ(form.rxBuffer(), "00\r80\r");
    clock.advance(1);
    EXPECT_EQ(form.rxBuffer(), "");
}

// A missing reply is marked when the window ends and cleared with the display; a
// sender's intervals stay in force for STATUS, which sets none.
TEST_F(Exchange, IntervalsPersistAcrossSends)
{
    // Each sender that sets intervals follows one that left others behind.
    const std::tuple<std::string_view, int, int> cases[] = {{"Command17", 500, 1000}, {"Command66", 5000, 5500},
        {"Command17", 5000, 5500}, {"Command52", 2000, 2500}, {"Command66", 5000, 5500}, {"Command39", 2000, 2500},
        {"Command66", 5000, 5500}, {"Command95", 2000, 2500}};
    display.setText("Text1", "C00");
    for (const auto& [first, replyWindow, displayClear] : cases) {
        SCOPED_TRACE(std::string(first));
        if (!form.Command_Click(first))
            form.Command95_Click(); // SEND is no one-shot button
        clock.advance(10000);
        sendStatus();
        clock.advance(replyWindow - 1);
        EXPECT_EQ(label("Label12"), "");
        clock.advance(1);
        EXPECT_EQ(label("Label12"), " X X X X");
        clock.advance(displayClear - replyWindow - 1);
        EXPECT_EQ(label("Label11"), " C R 0 CR ");
        clock.advance(1);
        EXPECT_EQ(label("Label11") + label("Label12"), "");
        clock.advance(10000);
    }
}

TEST_F(Exchange, ReceiveBufferIsCappedUnderAnEndlessStream)
{
    for (int i = 0; i < 100; ++i)
        comm.receive(std::string(1000, 'Q'));
    EXPECT_EQ(form.rxBuffer().size(), Form1::rxBufferCap);
    EXPECT_EQ(label("Label12").size(), 2 * Form1::rxBufferCap + 1);
    sendStatus();
    clock.advance(500);
    EXPECT_EQ(form.rxBuffer(), "");
    // The kept start of an overlong reply is still decoded.
    sendStatus();
    comm.receive("80\r" + std::string(40000, '7'));
    EXPECT_EQ(form.rxBuffer().size(), Form1::rxBufferCap);
    EXPECT_EQ(label("Label22"), " Stand by");
}

using PortSelection = FormFixture;
const std::string kNoS0 = "/dev/ttyS0: No such file or directory";
const std::string kNoS1 = "/dev/ttyS1: No such file or directory";

TEST_F(PortSelection, StartUpOpensPortOneAtTheStartSettings)
{
    EXPECT_TRUE(comm.portOpen() && comm.commPort() == 1);
    EXPECT_EQ(comm.settings, "19200,N,8,1");
    EXPECT_EQ(display.selectedOptions, std::vector<std::string>{"Option1"});
    EXPECT_FALSE(display.isVisible("Frame8"));
    EXPECT_TRUE(display.warnings.empty());
    EXPECT_EQ(display.height, Form1::compactHeight);
    EXPECT_FALSE(
        form.timer1().isActive() || form.timer2().isActive() || form.timer3().isActive() || form.timer4().isActive());
}

TEST(PortStartUp, MissingPortOneWarnsOnceAndCarriesOnClosed)
{
    FakeDisplay d;
    FakeSerialControl c;
    c.failingPorts[1] = kNoS0;
    ManualClock k;
    Form1 f{d, c, k};
    f.Form_Load();
    EXPECT_EQ(d.warnings, std::vector<std::string>{kNoS0});
    EXPECT_TRUE(!c.portOpen() && c.commPort() == 1);
    EXPECT_FALSE(d.isVisible("Frame8"));
}

TEST_F(PortSelection, ComShowsThePortPanelForFiveSecondsUnlessASpeedIsChosen)
{
    form.Command33_Click();
    clock.advance(3000);
    form.Command33_Click(); // a second click restarts the count
    clock.advance(4999);
    EXPECT_TRUE(display.isVisible("Frame8"));
    clock.advance(1);
    EXPECT_FALSE(display.isVisible("Frame8"));
    form.Command33_Click();
    const int opens = comm.openCount;
    ASSERT_TRUE(form.Option_Click("Option10"));
    EXPECT_EQ(comm.settings, "9600,N,8,1");
    EXPECT_EQ(comm.openCount, opens) << "no close and reopen";
    EXPECT_FALSE(display.isVisible("Frame8"));
    ASSERT_TRUE(form.Option_Click("Option9"));
    EXPECT_EQ(comm.settings, "19200,N,8,1");
}

TEST_F(PortSelection, SwitchToAPresentPort)
{
    ASSERT_TRUE(form.Option_Click("Option5"));
    form.Command_Click("Command17");
    form.Command33_Click();
    ASSERT_TRUE(form.Option_Click("Option2"));
    EXPECT_TRUE(comm.portOpen() && comm.commPort() == 2);
    EXPECT_FALSE(display.isVisible("Frame8"));
    EXPECT_TRUE(display.warnings.empty());
    EXPECT_EQ(form.lastCommand(), "A001C00\r");
    EXPECT_EQ(label("Label11"), " A 0 0 1 C 0 0 CR ");
}

TEST_F(PortSelection, FailingSwitchWarnsAndFallsBack)
{
    comm.failingPorts[2] = kNoS1;
    form.Command33_Click();
    form.Option2_Click();
    EXPECT_EQ(display.warnings, std::vector<std::string>{kNoS1});
    EXPECT_TRUE(!comm.portOpen() && comm.commPort() == 1) << "falls back to the old number, closed";
    EXPECT_EQ(display.selectedOptions.back(), "Option1") << "the checked option names the port in use";
    EXPECT_TRUE(display.isVisible("Frame8"));
    form.Option2_Click(); // while closed: only the number, and the panel hides
    EXPECT_EQ(display.warnings.size(), 1u);
    EXPECT_EQ(comm.commPort(), 2);
    EXPECT_FALSE(display.isVisible("Frame8"));
}

TEST_F(PortSelection, SendOnAClosedPortRecoversOnceTheDeviceIsBack)
{
    comm.failingPorts[2] = kNoS1;
    comm.failingPorts[1] = kNoS0;
    form.Option2_Click(); // fails twice over: closed, on number 1
    ASSERT_FALSE(comm.portOpen());
    display.warnings.clear();

    form.Command_Click("Command17");
    EXPECT_TRUE(comm.writes.empty());
    EXPECT_EQ(label("Label11"), " C 0 0 CR ");
    EXPECT_TRUE(display.warnings.empty()) << "a send never raises a message box";
    clock.advance(500);
    EXPECT_EQ(label("Label12"), " X X X X");

    comm.failingPorts.erase(1); // the adapter is plugged back in
    form.Command_Click("Command18");
    EXPECT_TRUE(comm.portOpen());
    EXPECT_EQ(comm.writes, std::vector<std::string>{"C01\r"});
}

} // namespace
} // namespace qm5::test
