// Start-up, port switching, the link options and END, with a fake serial control.

#include "support/form_fixture.hpp"

namespace qm5::test {
namespace {

using PortSelection = FormFixture;

TEST_F(PortSelection, StartUpOpensPortOneAtTheStartSettings)
{
    EXPECT_EQ(comm.commPort(), 1);
    EXPECT_TRUE(comm.portOpen());
    EXPECT_EQ(comm.settings, "19200,N,8,1");
    EXPECT_EQ(form.commSettings(), "19200,N,8,1");
    EXPECT_EQ(form.targetPrefix(), "");
    EXPECT_EQ(display.selectedOptions, std::vector<std::string>{"Option1"});
    // Opened, then closed and reopened by the COM1 selection.
    EXPECT_EQ(comm.openCount, 2);
    EXPECT_EQ(comm.closeCount, 1);
    EXPECT_FALSE(display.isVisible("Frame8"));
    EXPECT_TRUE(display.warnings.empty());
    EXPECT_EQ(display.height, Form1::compactHeight);
    for (Timer* t : {&form.timer1(), &form.timer2(), &form.timer3(), &form.timer4()})
        EXPECT_FALSE(t->isActive());
}

TEST_F(PortSelection, StartUpCentresTheFullLayoutBeforeCuttingIt)
{
    FakeDisplay d;
    d.width = 9615;
    d.height = 9100;
    d.screenW = 19200;
    d.screenH = 12000;
    FakeSerialControl c;
    ManualClock k;
    Form1 f{d, c, k};
    f.Form_Load();
    EXPECT_DOUBLE_EQ(d.left, 4792.5);
    EXPECT_DOUBLE_EQ(d.top, 1450.0);
    EXPECT_EQ(d.height, 5350);
}

TEST(PortStartUp, MissingPortOneWarnsOnceAndCarriesOnClosed)
{
    FakeDisplay d;
    FakeSerialControl c;
    c.failingPorts[1] = "/dev/ttyS0: No such file or directory";
    ManualClock k;
    Form1 f{d, c, k};
    f.Form_Load();
    EXPECT_EQ(d.warnings, std::vector<std::string>{"/dev/ttyS0: No such file or directory"});
    EXPECT_FALSE(c.portOpen());
    EXPECT_EQ(c.commPort(), 1);
    EXPECT_FALSE(d.isVisible("Frame8"));
    EXPECT_FALSE(d.ended);
}

TEST_F(PortSelection, SwitchToAPresentPort)
{
    form.Command33_Click();
    ASSERT_TRUE(display.isVisible("Frame8"));
    ASSERT_TRUE(form.Option_Click("Option5"));
    form.Command_Click("Command17");
    const std::string last = form.lastCommand();
    ASSERT_TRUE(form.Option_Click("Option2"));
    EXPECT_EQ(comm.commPort(), 2);
    EXPECT_TRUE(comm.portOpen());
    EXPECT_FALSE(display.isVisible("Frame8"));
    EXPECT_TRUE(display.warnings.empty());
    EXPECT_EQ(form.targetPrefix(), "A001");
    EXPECT_EQ(form.commSettings(), "19200,N,8,1");
    EXPECT_EQ(form.lastCommand(), last);
    EXPECT_EQ(label("Label11"), " A 0 0 1 C 0 0 CR ");
}

TEST_F(PortSelection, FailingSwitchWarnsAndFallsBack)
{
    comm.failingPorts[2] = "/dev/ttyS1: No such file or directory";
    form.Command33_Click();
    form.Option2_Click();
    EXPECT_EQ(display.warnings, std::vector<std::string>{"/dev/ttyS1: No such file or directory"});
    EXPECT_EQ(comm.commPort(), 1);
    EXPECT_FALSE(comm.portOpen());
    EXPECT_TRUE(display.isVisible("Frame8"));
    // Selecting a port while closed only sets the number and hides the panel.
    form.Option2_Click();
    EXPECT_EQ(display.warnings.size(), 1u);
    EXPECT_EQ(comm.commPort(), 2);
    EXPECT_FALSE(display.isVisible("Frame8"));
}

TEST_F(PortSelection, SendOnAClosedPortRecoversOnceTheDeviceIsBack)
{
    comm.failingPorts[2] = "/dev/ttyS1: No such file or directory";
    comm.failingPorts[1] = "/dev/ttyS0: No such file or directory";
    form.Option2_Click(); // fails twice over: the port is now closed on number 1
    ASSERT_FALSE(comm.portOpen());
    display.warnings.clear();

    form.Command_Click("Command17");
    EXPECT_TRUE(comm.writes.empty()) << "nothing may be written to a closed port";
    EXPECT_EQ(label("Label11"), " C 0 0 CR ");
    EXPECT_TRUE(display.warnings.empty()) << "a send never raises a message box";
    clock.advance(500);
    EXPECT_EQ(label("Label12"), " X X X X");

    comm.failingPorts.erase(1); // the adapter is plugged back in
    form.Command_Click("Command18");
    EXPECT_TRUE(comm.portOpen());
    EXPECT_EQ(comm.writes, std::vector<std::string>{"C01\r"});
    EXPECT_EQ(comm.commPort(), 1);
}

TEST_F(PortSelection, AddressOptionsChangeOnlyThePrefixOfLaterFrames)
{
    struct Row {
        const char* option;
        const char* frame;
    };
    const Row rows[] = {
        {"Option4", "AFFFC00\r"}, {"Option5", "A001C00\r"}, {"Option6", "A002C00\r"},
        {"Option7", "A003C00\r"}, {"Option8", "A004C00\r"}, {"Option3", "C00\r"},
    };
    for (const Row& r : rows) {
        comm.writes.clear();
        const std::string before = label("Label11");
        ASSERT_TRUE(form.Option_Click(r.option));
        EXPECT_TRUE(comm.writes.empty()) << r.option;
        EXPECT_EQ(label("Label11"), before) << r.option;
        form.Command_Click("Command17");
        ASSERT_EQ(comm.writes.size(), 1u);
        EXPECT_EQ(comm.writes[0], r.frame);
    }
}

TEST_F(PortSelection, SpeedOptionChangesTheOpenPortAtOnce)
{
    form.Command33_Click();
    const int opens = comm.openCount;
    ASSERT_TRUE(form.Option_Click("Option10"));
    EXPECT_EQ(form.commSettings(), "9600,N,8,1");
    EXPECT_EQ(comm.settings, "9600,N,8,1");
    EXPECT_TRUE(comm.portOpen());
    EXPECT_EQ(comm.openCount, opens) << "no close and reopen";
    EXPECT_FALSE(display.isVisible("Frame8"));
    EXPECT_TRUE(form.timer3().isActive()) << "the panel timer runs on and only hides again";
    ASSERT_TRUE(form.Option_Click("Option9"));
    EXPECT_EQ(comm.settings, "19200,N,8,1");
    EXPECT_FALSE(form.Option_Click("Option11"));
    EXPECT_FALSE(form.Option_Click("Command17"));
}

TEST_F(PortSelection, EndClosesThePortAndNoTimerFiresAfterIt)
{
    form.Command_Click("Command44");
    form.Command16_Click();
    EXPECT_FALSE(comm.portOpen());
    EXPECT_TRUE(display.ended);
    const std::string rxd = label("Label12");
    clock.advance(10000);
    EXPECT_EQ(label("Label12"), rxd);
    EXPECT_EQ(label("Label11"), " C R 0 CR ");
}

} // namespace
} // namespace qm5::test
