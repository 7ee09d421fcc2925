// The exchange routine, the receive path and the two one-shot timers, on the
// manual clock.

#include "link/transcript.hpp"
#include "support/form_fixture.hpp"

namespace qm5::test {
namespace {

class Exchange : public FormFixture {
protected:
    // Sends a query the way a button does: frame into LastCommand, then Hyouji.
    void sendFreeText(const std::string& text)
    {
        display.setText("Text1", text);
        form.Command95_Click();
    }
    void sendStatus() { ASSERT_TRUE(form.Command_Click("Command44")); }
};

TEST_F(Exchange, StatusQueryEndToEnd)
{
    sendStatus();
    ASSERT_EQ(comm.writes.size(), 1u);
    EXPECT_EQ(lastWrite(), "CR0\r");
    EXPECT_EQ(label("Label11"), " C R 0 CR ");
    EXPECT_EQ(form.awaitingReply(), 1);
    EXPECT_TRUE(form.timer2().isActive());
    EXPECT_TRUE(form.timer4().isActive());

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
    EXPECT_FALSE(form.timer2().isActive());
    EXPECT_EQ(label("Label12"), " 8 0 CR ") << "an answered query keeps its reply on show";

    clock.advance(499);
    EXPECT_EQ(label("Label22"), " Stand by");
    clock.advance(1);
    EXPECT_EQ(label("Label11"), "");
    EXPECT_EQ(label("Label12"), "");
    EXPECT_EQ(label("Label22"), "");
    EXPECT_FALSE(form.timer4().isActive());
}

TEST_F(Exchange, MissingReplyIsMarkedThenCleared)
{
    sendStatus();
    clock.advance(500);
    EXPECT_EQ(label("Label12"), " X X X X");
    EXPECT_EQ(form.awaitingReply(), 0);
    clock.advance(500);
    EXPECT_EQ(label("Label12"), "");
}

TEST_F(Exchange, LateReplyIsShownAndDecodedAgainstTheLastFrame)
{
    sendStatus();
    clock.advance(600);
    EXPECT_EQ(label("Label12"), " X X X X");
    comm.receive("00\r");
    EXPECT_EQ(label("Label12"), " 0 0 CR ");
    EXPECT_EQ(label("Label22"), " Power ON");
    // No reply window is open, so the late characters wait for the next one.
    EXPECT_EQ(form.rxBuffer(), "00\r");
}

TEST_F(Exchange, UnsolicitedCharactersStandBeforeTheNextReply)
{
    comm.receive("x");
    EXPECT_EQ(label("Label12"), " x ");
    sendStatus();
    comm.receive("80\r");
    EXPECT_EQ(label("Label12"), " x 8 0 CR ");
    EXPECT_EQ(label("Label22"), "") << "only the start of the buffer is decoded";
    clock.advance(500);
    EXPECT_EQ(form.rxBuffer(), "");
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
    // The second send restarted the reply window.
    clock.advance(499);
    EXPECT_EQ(form.rxBuffer(), "00\r80\r");
    clock.advance(1);
    EXPECT_EQ(form.rxBuffer(), "");
}

TEST_F(Exchange, IntervalsSetByOneSenderPersistForTheNext)
{
    sendFreeText("C00");
    clock.advance(3000);
    sendStatus();
    clock.advance(1999);
    EXPECT_EQ(label("Label12"), "");
    clock.advance(1);
    EXPECT_EQ(label("Label12"), " X X X X");
    clock.advance(499);
    EXPECT_EQ(label("Label11"), " C R 0 CR ");
    clock.advance(1);
    EXPECT_EQ(label("Label11"), "");
}

TEST_F(Exchange, NonReceiveEventsChangeNothing)
{
    sendStatus();
    comm.raiseEvent(3); // a line-state change
    EXPECT_EQ(form.awaitingReply(), 1);
    EXPECT_EQ(label("Label12"), "");
}

TEST_F(Exchange, ReceiveBufferIsCappedUnderAnEndlessStream)
{
    const std::string chunk(1000, 'Q');
    for (int i = 0; i < 100; ++i)
        comm.receive(chunk);
    EXPECT_EQ(form.rxBuffer().size(), Form1::rxBufferCap);
    EXPECT_EQ(label("Label12").size(), 2 * Form1::rxBufferCap + 1);
    // Nothing clears the buffer until a reply window ends.
    clock.advance(10000);
    EXPECT_EQ(form.rxBuffer().size(), Form1::rxBufferCap);
    sendStatus();
    clock.advance(500);
    EXPECT_EQ(form.rxBuffer(), "");
    // The kept start of an overlong reply is still shown and decoded.
    sendStatus();
    comm.receive("80\r" + std::string(40000, '7'));
    EXPECT_EQ(form.rxBuffer().size(), Form1::rxBufferCap);
    EXPECT_EQ(form.rxBuffer().substr(0, 3), "80\r");
    EXPECT_EQ(label("Label22"), " Stand by");
    // Once the reply window ends the buffer takes characters again.
    clock.advance(500);
    comm.receive("00\r");
    EXPECT_EQ(form.rxBuffer(), "00\r");
}

TEST_F(Exchange, TranscriptMatchesAFreshRenderingAcrossPiecesAndClears)
{
    const std::string pieces[] = {"\x06", "1", "\r\n", "{", "\x14", "z"};
    std::string all;
    for (const auto& p : pieces) {
        all += p;
        comm.receive(p);
        EXPECT_EQ(label("Label12"), RenderTranscript(all));
    }
    sendStatus();
    clock.advance(500);
    comm.receive("20\r");
    EXPECT_EQ(label("Label12"), " 2 0 CR ");
}

} // namespace
} // namespace qm5::test
