// SEND, CLS and COM.

#include <string>

#include "support/form_fixture.hpp"

namespace qm5::test {
namespace {

class PanelFreeText : public FormFixture {};

TEST_F(PanelFreeText, SendsTheTypedTextAsItIs)
{
    struct Case {
        std::string_view address, text, frame, reply, status;
    };
    const Case cases[] = {
        {"Option5", "C00", "A001C00\r", "", ""},
        {"Option3", "", "\r", "", ""},
        {"Option8", "", "A004\r", "", ""},
        {"Option3", "CR0", "CR0\r", "80\r", " Stand by"},
        {"Option5", "CR0", "A001CR0\r", "80\r", " Stand by"},
        // Typed queries are decoded only when they equal the button's code.
        {"Option3", "cr0", "cr0\r", "80\r", ""},
        {"Option3", " CR0", " CR0\r", "80\r", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + std::string(c.text) + "\" under " + std::string(c.address));
        ASSERT_TRUE(form.Option_Click(c.address));
        display.setText("Text1", std::string(c.text));
        form.Command95_Click();
        ASSERT_EQ(comm.writes.size(), 1u);
        EXPECT_EQ(lastWrite(), c.frame);
        EXPECT_EQ(form.lastCommand(), c.frame);
        EXPECT_EQ(display.text("Text1"), c.text) << "the line is kept for another send";
        if (!c.reply.empty())
            comm.receive(std::string(c.reply));
        EXPECT_EQ(label("Label22"), c.status);
        clock.advance(10000);
        comm.writes.clear();
    }
}

TEST_F(PanelFreeText, SendWaitsTwoSecondsAndTheIntervalsStay)
{
    ASSERT_TRUE(form.Option_Click("Option5"));
    display.setText("Text1", "C00");
    form.Command95_Click();
    form.Command96_Click(); // CLS leaves the exchange alone
    EXPECT_EQ(display.text("Text1"), "");
    clock.advance(1999);
    EXPECT_EQ(label("Label12"), "");
    EXPECT_EQ(label("Label11"), " A 0 0 1 C 0 0 CR ");
    clock.advance(1);
    EXPECT_EQ(label("Label12"), " X X X X");
    clock.advance(499);
    EXPECT_EQ(label("Label11"), " A 0 0 1 C 0 0 CR ");
    clock.advance(1);
    EXPECT_EQ(label("Label11"), "");
    EXPECT_EQ(comm.writes.size(), 1u) << "CLS sends nothing";

    // STATUS sets no intervals of its own.
    ASSERT_TRUE(form.Command_Click("Command44"));
    EXPECT_EQ(form.timer2().interval(), 2000);
    EXPECT_EQ(form.timer4().interval(), 2500);
}

TEST_F(PanelFreeText, ComShowsThePortPanelForFiveSeconds)
{
    ASSERT_FALSE(display.isVisible("Frame8"));
    form.Command33_Click();
    EXPECT_TRUE(display.isVisible("Frame8"));
    clock.advance(4999);
    EXPECT_TRUE(display.isVisible("Frame8"));
    clock.advance(1);
    EXPECT_FALSE(display.isVisible("Frame8"));
    EXPECT_FALSE(form.timer3().isActive());

    // A second click restarts the count.
    form.Command33_Click();
    clock.advance(3000);
    form.Command33_Click();
    clock.advance(4999);
    EXPECT_TRUE(display.isVisible("Frame8"));
    clock.advance(1);
    EXPECT_FALSE(display.isVisible("Frame8"));

    // A speed choice hides it at once.
    form.Command33_Click();
    ASSERT_TRUE(form.Option_Click("Option10"));
    EXPECT_FALSE(display.isVisible("Frame8"));
    EXPECT_TRUE(comm.writes.empty());
}

} // namespace
} // namespace qm5::test
