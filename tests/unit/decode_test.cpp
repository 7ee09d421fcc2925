#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "protocol/decode_reply.hpp"
#include "protocol/lamp_table.hpp"
#include "protocol/line_settings.hpp"
#include "protocol/mode_tables.hpp"
#include "protocol/power_table.hpp"
#include "protocol/pressure.hpp"
#include "protocol/transcript.hpp"

namespace qm5 {
namespace {

using Status = std::optional<std::string>;

TEST(LineSettingsText, ReadsTheFourFieldsOrNothing)
{
    const std::tuple<std::string, long, Parity, int> cases[] = {{"19200,N,8,1", 19200, Parity::None, 8},
        {"9600,E,7,2", 9600, Parity::Even, 7}, {"9600,O,8,1.5", 9600, Parity::Odd, 8}, {"9600,N,8", 0, {}, 0},
        {"fast,N,8,1", 0, {}, 0}, {"9600,X,8,1", 0, {}, 0}, {"9600,N,9,1", 0, {}, 0}, {"9600,N,8,3", 0, {}, 0},
        {"-9600,N,8,1", 0, {}, 0}, {"9600,N,8,1,", 0, {}, 0}, {"", 0, {}, 0}};
    for (const auto& [text, baud, parity, dataBits] : cases) {
        const auto s = parseLineSettings(text);
        ASSERT_EQ(s.has_value(), baud != 0) << text;
        EXPECT_TRUE(!s || (s->baud == baud && s->parity == parity && s->dataBits == dataBits)) << text;
    }
    // Ten bits a character: a 9-byte frame is 4.6875 ms at 19200 baud, 9.375 ms at 9600.
    EXPECT_EQ(frameTimeUs(9, "19200,N,8,1"), 4687);
    EXPECT_EQ(frameTimeUs(9, "9600,N,8,1"), 9375);
    EXPECT_EQ(frameTimeUs(9, "fast"), 0);
}

TEST(Transcript, RendersEveryTokenKind)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", " "},
        {"80\r", " 8 0 CR "},
        {"\x06\r", " ACK CR "},
        {"\r\n", " CR LF "},
        {"1\x14"
         "2",
            " 1 &2 "},
        {"\x15", " ? "},
        {"A B", " A   B "},
        {"z", " z "},
        {"{", " ? "},
        {"|}~\x7f", " ? ? ? ? "},
        {std::string(1, '\0'), " ? "},
        {"\x1f ", " ?   "},
        {"\x80\xff\xe9", " ? ? ? "},
    };
    for (const auto& [input, transcript] : cases)
        EXPECT_EQ(renderTranscript(input), transcript) << "input of " << input.size() << " chars";
    for (char c = ' '; c <= 'z'; ++c)
        EXPECT_EQ(renderTranscript(std::string(1, c)), (std::string{' ', c, ' '})) << c;
    // All 256 byte values in one go: every byte is one token of its own.
    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    EXPECT_EQ(renderTranscript(all).size(), 1 + 91 * 2 + 4 + 3 + 3 + 1 + (256 - 91 - 4) * 2u);
}

// Keys are distinct transcripts of one or two reply characters (" c", " c c"),
// texts start with a blank; the lamp and mute tables follow their rules.
TEST(DecodeTables, KeysAreWellFormedAndTextsFollowTheirRules)
{
    for (const DecodeTable* table :
        {&powerStatusTable, &inputModeTable, &orientationTable, &muteSignalTable, &lampStatusTable}) {
        std::set<std::string_view> keys;
        for (const DecodeRow& row : table->rows) {
            const std::string_view k = row.key;
            EXPECT_TRUE(keys.insert(k).second) << "duplicate " << k;
            EXPECT_TRUE(k.size() == table->keyLength && k[0] == ' ' && k[1] != ' '
                && (k.size() == 2 || (k[2] == ' ' && k[3] != ' ')) && row.text.starts_with(' '))
                << k;
        }
    }
    // Lamp status: the mode, then a mask of the lamps lit (1 = No1 ... 8 = No4).
    const char* modes[] = {"4 Lamp mode", "2 Lamp mode(1,4)", "2 Lamp mode(2,3)"};
    for (int mode = 0; mode < 3; ++mode) {
        for (int mask = 0; mask < 16; ++mask) {
            std::string lamps;
            for (int lamp = 0; lamp < 4; ++lamp)
                if (mask & (1 << lamp))
                    lamps += (lamps.empty() ? "No" : ",") + std::to_string(lamp + 1);
            const std::string text =
                mask == 0 ? " All OFF : " : (mask == 15 ? " All ON " : " " + lamps + " ON ") + " : ";
            const std::string key{' ', char('0' + mode), ' ', "0123456789ABCDEF"[mask]};
            EXPECT_EQ(lookupReplyKey(lampStatusTable, key), text + modes[mode]) << key;
        }
    }
    // Mute: the second character is a mask, 1 = video, 2 = audio.
    for (int mask = 1; mask < 4; ++mask) {
        const std::string text(lookupReplyKey(muteSignalTable, " 0 " + std::to_string(mask)).value_or(""));
        EXPECT_EQ(text.find("Video") != std::string::npos, (mask & 1) != 0) << text;
        EXPECT_EQ(text.find("Audio") != std::string::npos, (mask & 2) != 0) << text;
        EXPECT_TRUE(text.ends_with("mute ON")) << text;
    }
    // Orientation: two flags, 0 = reversed; the second tells top/bottom, the first left/right.
    for (const char* key : {" 1 1", " 1 0", " 0 1", " 0 0"}) {
        const std::string text(lookupReplyKey(orientationTable, key).value_or(""));
        EXPECT_EQ(text.find("Top/Bottom") != std::string::npos, key[3] == '0') << text;
        EXPECT_EQ(text.find("Left/Right") != std::string::npos, key[1] == '0') << text;
    }
    for (int input = 1; input <= 4; ++input)
        EXPECT_EQ(lookupReplyKey(inputModeTable, " " + std::to_string(input)), " Input mode " + std::to_string(input));
}

struct DecodeCase {
    std::string lastFrame, prefix, reply;
    Status status;
};

TEST(DecodeReply, KnownReplies)
{
    const std::string ack(1, '\x06'), p = "CR PRESSURE\r";
    const DecodeCase cases[] = {
        {"CR0\r", "", "80\r", " Stand by"},
        {"CR0\r", "", "8", std::nullopt}, // first piece, key incomplete
        {"CR0\r", "", "80", " Stand by"},
        {"CR0\r", "", "801\r", " Stand by"},
        {"CR0\r", "", "00\r80\r", " Power ON"},
        {"CR0\r", "", "01\r", std::nullopt},
        {"CR00\r", "", "80\r", std::nullopt}, // no frame longer than the query's
        {"CR1\r", "", "0\r", std::nullopt},
        {"CRA\r", "", "FF\r", " Stand by"},
        {"CRA\r", "", "ff\r", std::nullopt},
        {"CR0\r", "", ack + "80\r", std::nullopt},
        {"CR1\r", "", "31\r", " Input mode 3"},
        {"CR4\r", "", "00\r", " Top/Bottom , Left/Right reversal"},
        {"CRA\r", "", "80\r", " No signal"},
        {"CRA\r", "", "01\r", " Video mute ON"},
        {"CRA\r", "", "02\r", " Audio mute ON"},
        {"CR4\r", "", "10\r", " Top/Bottom reversal"},
        {"CR4\r", "", "01\r", " Left/Right reversal"},
        {"CR7\r", "", "1F\r", " All ON  : 2 Lamp mode(1,4)"},
        {"CR7\r", "", "0a\r", std::nullopt},
        // Decoded only while the frame built with the current prefix was the last sent.
        {"A001CR0\r", "A001", "80\r", " Stand by"},
        {"AFFFCR7\r", "AFFF", "05\r", " No1,3 ON  : 4 Lamp mode"},
        {"A001CR0\r", "A002", "80\r", std::nullopt},
        {"AFFFCR0\r", "", "80\r", std::nullopt},
        {"cr0\r", "", "80\r", std::nullopt},
        {"CR INFPFAIL\r", "", "80\r", std::nullopt},
        {"A003CR9\r", "A003", "01\r", " 0 1 CR "},
        // Lamp hours: blank and the first 19 reply characters; temperatures: 1 to 5 and 8 to 11.
        {"CR3\r", "", "12345\r", " 1 2 3 4 5 CR  Hour Use"},
        {"CR3\r", "", "123456789012345678\r", " 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 C Hour Use"},
        {"CR6\r", "", "123456789012\r", "  S1= 1 2 3 4 5 C  ,   S2=  8 9 0 1 C"},
        {"CR6\r", "", "12\r", "  S1= 1 2 CR  C  ,   S2=  C"},
        {"CR6\r", "", ack + "1234567890\r", "  S1= ACK 1 2 3 C  ,   S2=  6 7 8 9 C"},
        // Pressure: leading zeros, no number, signs, halves to even, what is no part of a number.
        {"A004" + p, "A004", "512\r", "650 hPa"},
        {p, "", "0512\r", "650 hPa"},
        {p, "", "NG\r", "106 hPa"},
        {p, "", "-6553\r", "-6865 hPa"},
        {p, "", "12.5\r", "118 hPa"},
        {p, "", "13.5\r", "120 hPa"},
        {p, "", "1E3\r", "107 hPa"},
        {p, "", "&H10\r", "106 hPa"},
        {p, "", ".6\r", "106 hPa"},
        {p, "", "-.6\r", "106 hPa"},
        // Out of 16 bits the formula still holds; a 300-digit number changes nothing.
        {p, "", "100000\r", "106485 hPa"},
        {p, "", std::string(300, '7') + "\r", std::nullopt},
        {p, "", "-838032\r", "-891388 hPa"}, // exactly .5 in double
        {p, "", "2018703248\r", "2147483647 hPa"},
        {p, "", "2018703249\r", std::nullopt},
        {p, "", "-2018703448\r", "-2147483648 hPa"},
        {p, "", "-2018703449\r", std::nullopt},
    };
    for (const DecodeCase& c : cases)
        EXPECT_EQ(decodeReply(renderTranscript(c.reply), c.lastFrame, c.prefix), c.status)
            << c.lastFrame << " / " << c.prefix << " / " << c.reply;
}

TEST(PressureReading, ParsesAndRoundsHalfToEven)
{
    const std::string nines(18, '9'), zeros(100000, '0');
    const std::pair<std::string, std::optional<std::int64_t>> cases[] = {
        {" 5 1 2 CR ", 512},
        {"--5", 0},
        {".5", 0},
        {".6", 0},
        {"-.6", 0},
        {"-0.6", -1},
        {"2.5", 2},
        {"-12.5", -12},
        {"-13.5", -14},
        {"12.4999", 12},
        {"12.50001", 13},
        {"1.2.3", 1},
        {"1 2 . 5 0 0", 12},
        {nines + ".5", 1000000000000000000},
        {"1" + nines, std::nullopt},
        {"0000" + nines, 999999999999999999},
        {zeros + "5", 5},
        {"2.5" + zeros, 2},
        {"2.5" + zeros + "1", 3},
    };
    for (const auto& [text, reading] : cases)
        EXPECT_EQ(readPressureReading(text), reading) << '"' << text.substr(0, 30) << '"';
    for (const auto& [x, rounded] : {std::pair{2.5, 2.0}, {3.5, 4.0}, {-2.5, -2.0}, {-3.5, -4.0}, {0.49, 0.0}})
        EXPECT_EQ(roundHalfEven(x), rounded) << x;
}

} // namespace
} // namespace qm5
