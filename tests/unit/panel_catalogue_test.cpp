// The button catalogue and the one-shot click handler.

#include <set>
#include <string>

#include "panel/command_catalogue.hpp"
#include "panel/repeat_table.hpp"
#include "support/form_fixture.hpp"

namespace qm5::test {
namespace {

TEST(PanelCatalogue, EveryButtonNumberHasExactlyOneEntry)
{
    std::multiset<std::string> listed;
    for (const auto& b : oneShotButtons)
        listed.emplace(b.control);
    for (const auto& b : heldButtons)
        listed.emplace(b.control);
    for (const auto& b : otherButtons)
        listed.emplace(b.control);
    EXPECT_EQ(listed.size(), 94u);
    for (int n = 3; n <= 99; ++n) {
        const bool unused = n == 19 || n == 20 || n == 43;
        EXPECT_EQ(listed.count("Command" + std::to_string(n)), unused ? 0u : 1u) << n;
    }
}

TEST(PanelCatalogue, CodesAreDistinctUpperCaseAndFitOneFrame)
{
    std::set<std::string_view> codes;
    int inMatrix = 0;
    for (const auto& b : oneShotButtons) {
        SCOPED_TRACE(std::string(b.control));
        EXPECT_TRUE(codes.insert(b.code).second) << "duplicate code";
        // Prefix (4) + code + CR stays within a 22-character frame.
        EXPECT_LE(b.code.size(), 17u);
        for (char c : b.code)
            EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '-') << c;
        if (b.group == inputMatrixGroup) {
            ++inMatrix;
            ASSERT_TRUE(b.timers);
            EXPECT_EQ(b.timers->timer2, 5000);
            EXPECT_EQ(b.timers->timer4, 5500);
        }
    }
    EXPECT_EQ(inMatrix, 32);
    std::set<int> repeatCodes;
    for (const auto& b : heldButtons) {
        SCOPED_TRACE(std::string(b.control));
        EXPECT_TRUE(codes.insert(b.code).second) << "held code shared with another button";
        EXPECT_NE(b.repeatCode, 0);
        EXPECT_TRUE(repeatCodes.insert(b.repeatCode).second);
        EXPECT_EQ(b.repeatMs.has_value(), b.whileHeld.has_value());
    }
}

class PanelClick : public FormFixture {};

TEST_F(PanelClick, EveryOneShotButtonSendsItsFrameOnce)
{
    for (const auto& b : oneShotButtons) {
        SCOPED_TRACE(std::string(b.control));
        comm.writes.clear();
        ASSERT_TRUE(form.Command_Click(b.control));
        ASSERT_EQ(comm.writes.size(), 1u);
        EXPECT_EQ(lastWrite(), std::string(b.code) + "\r");
        EXPECT_EQ(form.lastCommand(), lastWrite());
        EXPECT_FALSE(form.timer1().isActive()) << "a click never starts repetition";
    }
}

TEST_F(PanelClick, KnownFramesAndCaptions)
{
    struct Case {
        std::string_view address, control, caption, frame;
    };
    const Case cases[] = {
        {"Option3", "Command17", "ON", "C00\r"},
        {"Option4", "Command17", "ON", "AFFFC00\r"},
        {"Option3", "Command63", "DVI", "CF INPUT1 DIGITAL\r"},
        {"Option3", "Command87", "DVI", "CF INPUT4 DIGITAL\r"},
        {"Option3", "Command78", "SDI", "CF INPUT2 HD-SDI\r"},
        {"Option3", "Command88", "RGB", "CF INPUT4 ANALOG\r"},
        {"Option7", "Command84", "S-VIDEO", "A003CF INPUT3 S-VIDEO\r"},
        {"Option3", "Command82", "YPbPr", "CF INPUT3 YPBPR\r"},
        {"Option5", "Command99", "PRESSURE", "A001CR PRESSURE\r"},
        {"Option8", "Command52", "P-FAIL", "A004CR INFPFAIL\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " under " + std::string(c.address));
        ASSERT_TRUE(form.Option_Click(c.address));
        ASSERT_TRUE(form.Command_Click(c.control));
        EXPECT_EQ(lastWrite(), c.frame);
        EXPECT_EQ(findOneShotButton(c.control)->caption, c.caption);
    }
}

TEST_F(PanelClick, NamesThatAreNoOneShotButtonSendNothing)
{
    for (std::string_view name : {"Command15", "Command5", "Command95", "Command16", "Command19",
                                  "Command43", "Command100", "command17", "Command17 ", ""}) {
        EXPECT_FALSE(form.Command_Click(name)) << name;
    }
    EXPECT_TRUE(comm.writes.empty());
}

// A button's intervals stay in force for the next query, which sets none.
TEST_F(PanelClick, IntervalsPersistIntoTheNextQuery)
{
    struct Case {
        std::string_view first;
        int replyWindow, displayClear;
    };
    const Case cases[] = {
        {"Command17", 500, 1000},  // sets nothing: start values
        {"Command39", 2000, 2500}, // IMAGE1
        {"Command52", 2000, 2500}, // P-FAIL
        {"Command66", 5000, 5500}, // input matrix
        {"Command17", 5000, 5500}, // still those of the matrix button
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first));
        ASSERT_TRUE(form.Command_Click(c.first));
        clock.advance(10000);
        ASSERT_TRUE(form.Command_Click("Command44")); // STATUS
        clock.advance(c.replyWindow - 1);
        EXPECT_EQ(label("Label12"), "");
        clock.advance(1);
        EXPECT_EQ(label("Label12"), " X X X X");
        clock.advance(c.displayClear - c.replyWindow - 1);
        EXPECT_EQ(label("Label11"), " C R 0 CR ");
        clock.advance(1);
        EXPECT_EQ(label("Label11"), "");
        EXPECT_EQ(label("Label12"), "");
        clock.advance(10000);
    }
}

TEST_F(PanelClick, MenuOnSetsTheArrowContextWithoutRepeating)
{
    for (std::string_view control : {"Command23", "Command13"}) {
        SCOPED_TRACE(std::string(control));
        // A Zoom hold leaves Timer1 at 50 ms.
        ASSERT_TRUE(form.Command_MouseDown("Command15"));
        ASSERT_TRUE(form.Command_MouseUp("Command15"));
        comm.writes.clear();
        ASSERT_TRUE(form.Command_Click(control));
        ASSERT_TRUE(form.Command_Click(control));
        EXPECT_EQ(form.arrowMode(), 1);
        EXPECT_EQ(form.timer1().interval(), 200);
        clock.advance(1000);
        EXPECT_EQ(comm.writes.size(), 2u);
    }
}

} // namespace
} // namespace qm5::test
