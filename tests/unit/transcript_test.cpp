#include <gtest/gtest.h>

#include "link/transcript.hpp"

namespace qm5 {
namespace {

struct Case {
    std::string input;
    std::string transcript;
};

TEST(Transcript, RendersEveryTokenKind)
{
    const Case cases[] = {
        {"", " "},
        {"80\r", " 8 0 CR "},
        {"C00\r", " C 0 0 CR "},
        {"\x06", " ACK "},
        {"1\x14" "2", " 1 &2 "},
        {"\r\n", " CR LF "},
        {"A B", " A   B "},
        {"a", " a "},
        {"z", " z "},
        {"{", " ? "},
        {"|}~\x7f", " ? ? ? ? "},
        {"\x15", " ? "},
        {std::string(1, '\0'), " ? "},
        {"\x06\r", " ACK CR "},
        {"\x1f ", " ?   "},
        {"\x80\xff\xe9", " ? ? ? "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RenderTranscript(c.input), c.transcript) << "input of " << c.input.size() << " chars";
}

TEST(Transcript, PrintableCharactersStandAtEvenPositions)
{
    std::string printable;
    for (int c = ' '; c <= 'z'; ++c)
        printable.push_back(static_cast<char>(c));
    const std::string t = RenderTranscript(printable);
    ASSERT_EQ(t.size(), 2 * printable.size() + 1);
    for (std::size_t n = 1; n <= printable.size(); ++n) {
        EXPECT_EQ(t[2 * n - 1], printable[n - 1]) << n; // 1-based position 2n
        EXPECT_EQ(t[2 * n - 2], ' ') << n;
    }
}

TEST(Transcript, AllByteValuesGiveOneTokenEach)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    const std::string t = RenderTranscript(all);
    // 91 printable (2 each), ACK (4), CR and LF (3 each), code 20 (1), the rest "? ".
    const std::size_t expected = 1 + 91 * 2 + 4 + 3 + 3 + 1 + (256 - 91 - 4) * 2;
    EXPECT_EQ(t.size(), expected);
}

TEST(Transcript, LongInputIsRenderedWhole)
{
    const std::string longText(40000, 'A');
    EXPECT_EQ(RenderTranscript(longText).size(), 80001u);
}

} // namespace
} // namespace qm5
