#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "decode/decode_reply.hpp"
#include "link/transcript.hpp"

namespace qm5 {
namespace {

std::optional<std::string> Decode(const std::string& reply, const std::string& lastCommand,
                                  const std::string& prefix = "")
{
    return DecodeReply(RenderTranscript(reply), lastCommand, prefix);
}

struct DispatchCase {
    const char* what;
    std::string lastCommand;
    std::string prefix;
    std::string reply;
    std::optional<std::string> status;
};

TEST(DecodeReply, DispatchAndTableReplies)
{
    const std::string ack(1, '\x06');
    const DispatchCase cases[] = {
        {"stand by", "CR0\r", "", "80\r", " Stand by"},
        {"power on", "CR0\r", "", "00\r", " Power ON"},
        {"trailing blank kept", "CR0\r", "", "02\r", " NO Key input "},
        {"only two chars count", "CR0\r", "", "801\r", " Stand by"},
        {"start of buffer counts", "CR0\r", "", "00\r80\r", " Power ON"},
        {"first piece too short", "CR0\r", "", "8", std::nullopt},
        {"key complete before CR", "CR0\r", "", "80", " Stand by"},
        {"ACK first", "CR0\r", "", ack + "80\r", std::nullopt},
        {"unknown status", "CR0\r", "", "99\r", std::nullopt},
        {"unknown status A0", "CR0\r", "", "A0\r", std::nullopt},
        {"input mode", "CR1\r", "", "3\r", " Input mode 3"},
        {"input one char", "CR1\r", "", "31\r", " Input mode 3"},
        {"input zero", "CR1\r", "", "0\r", std::nullopt},
        {"orientation", "CR4\r", "", "00\r", " Top/Bottom , Left/Right reversal"},
        {"orientation unknown", "CR4\r", "", "12\r", std::nullopt},
        {"standby via CRA", "CRA\r", "", "FF\r", " Stand by"},
        {"case-sensitive", "CRA\r", "", "ff\r", std::nullopt},
        {"both mutes", "CRA\r", "", "03\r", " Video & Audio mute ON"},
        {"same reply, other table", "CRA\r", "", "80\r", " No signal"},
        {"address prefix", "A001CR0\r", "A001", "80\r", " Stand by"},
        {"broadcast prefix", "AFFFCRA\r", "AFFF", "80\r", " No signal"},
        {"prefix changed", "A001CR0\r", "A002", "80\r", std::nullopt},
        {"prefix dropped", "AFFFCR0\r", "", "80\r", std::nullopt},
        {"prefix added", "CR0\r", "AFFF", "80\r", std::nullopt},
        {"lower case query", "cr0\r", "", "80\r", std::nullopt},
        {"query without decoder", "CR INFPFAIL\r", "", "80\r", std::nullopt},
        {"no CR", "CR0", "", "80\r", std::nullopt},
        {"extra CR", "CR0\r\r", "", "80\r", std::nullopt},
        {"nothing sent yet", "", "", "80\r", std::nullopt},
        {"echo", "A003CR9\r", "A003", "01\r", " 0 1 CR "},
        {"lamp hours", "CR3\r", "", "12345\r", " 1 2 3 4 5 CR  Hour Use"},
        {"temperatures", "CR6\r", "", "12\r", "  S1= 1 2 CR  C  ,   S2=  C"},
        {"pressure", "A004CR PRESSURE\r", "A004", "512\r", "650 hPa"},
        {"lamp status", "AFFFCR7\r", "AFFF", "05\r", " No1,3 ON  : 4 Lamp mode"},
        {"all lamps", "CR7\r", "", "1F\r", " All ON  : 2 Lamp mode(1,4)"},
        {"no lamps", "CR7\r", "", "20\r", " All OFF : 2 Lamp mode(2,3)"},
        {"one lamp", "CR7\r", "", "22\r", " No2 ON  : 2 Lamp mode(2,3)"},
        {"lower-case hex", "CR7\r", "", "0a\r", std::nullopt},
        {"no lamp mode 3", "CR7\r", "", "30\r", std::nullopt},
    };
    for (const DispatchCase& c : cases) {
        EXPECT_EQ(Decode(c.reply, c.lastCommand, c.prefix), c.status) << c.what;
    }
}

// Whatever arrives on the line, no decoder may fail, and the cut decoders
// stay within their fixed sizes.
TEST(DecodeReply, ArbitraryBytesAreSafe)
{
    const char* const codes[] = {"CR0", "CR1", "CR4", "CR3", "CR6",
                                 "CRA", "CR9", "CR PRESSURE", "CR7"};
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 64);
    for (int round = 0; round < 300; ++round) {
        std::string reply(static_cast<std::size_t>(length(rng)), '\0');
        for (char& ch : reply) {
            ch = static_cast<char>(byte(rng));
        }
        const std::string transcript = RenderTranscript(reply);
        for (const char* code : codes) {
            const std::string frame = std::string("A002") + code + "\r";
            const auto status = DecodeReply(transcript, frame, "A002");
            const std::string_view query = code;
            if (query == "CR9") {
                EXPECT_EQ(status, transcript);
            } else if (query == "CR3") {
                ASSERT_TRUE(status.has_value());
                EXPECT_LE(status->size(), 38u + 9u);
            } else if (query == "CR6") {
                ASSERT_TRUE(status.has_value());
                EXPECT_LE(status->size(), 5u + 10u + 12u + 8u + 2u);
            } else if (query == "CR PRESSURE") {
                ASSERT_TRUE(status.has_value()); // short replies always fit
                EXPECT_TRUE(status->ends_with(" hPa")) << *status;
            } else if (status) {
                EXPECT_EQ(status->front(), ' ');
            }
        }
    }
}

} // namespace
} // namespace qm5
