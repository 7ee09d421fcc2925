#include <gtest/gtest.h>

#include <string>

#include "decode/transcript_cuts.hpp"
#include "link/transcript.hpp"

namespace qm5 {
namespace {

struct CutCase {
    std::string reply;
    std::string status;
};

TEST(LampHoursText, CutsAfterNineteenReplyCharacters)
{
    const CutCase cases[] = {
        {"12345\r", " 1 2 3 4 5 CR  Hour Use"},
        {"1234567890123456789012\r", " 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 Hour Use"},
        {"1234567890123456789", " 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 Hour Use"},
        // 18 characters and CR: the cut lands inside the "CR " token.
        {"123456789012345678\r", " 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 C Hour Use"},
        {"", "  Hour Use"},
    };
    for (const CutCase& c : cases) {
        EXPECT_EQ(LampHoursText(RenderTranscript(c.reply)), c.status) << c.reply;
    }
    EXPECT_EQ(LampHoursText(""), " Hour Use");
}

TEST(TemperatureText, ShowsCharactersOneToFiveAndEightToEleven)
{
    const CutCase cases[] = {
        {"123456789012\r", "  S1= 1 2 3 4 5 C  ,   S2=  8 9 0 1 C"},
        {"12\r", "  S1= 1 2 CR  C  ,   S2=  C"},
        {"12", "  S1= 1 2  C  ,   S2=  C"},
        // T of 13, 14 and 15 characters: the second part starts at 15.
        {"123456", "  S1= 1 2 3 4 5 C  ,   S2=  C"},
        {"1234567", "  S1= 1 2 3 4 5 C  ,   S2=   C"},
        {"12345678", "  S1= 1 2 3 4 5 C  ,   S2=  8  C"},
        // An ACK shifts every position by two.
        {"\x06" "1234567890\r", "  S1= ACK 1 2 3 C  ,   S2=  6 7 8 9 C"},
        {"", "  S1=  C  ,   S2=  C"},
    };
    for (const CutCase& c : cases) {
        EXPECT_EQ(TemperatureText(RenderTranscript(c.reply)), c.status) << c.reply;
    }
    EXPECT_EQ(TemperatureText(""), "  S1= C  ,   S2=  C");
}

} // namespace
} // namespace qm5
