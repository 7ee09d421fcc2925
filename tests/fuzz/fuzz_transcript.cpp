// RenderTranscript on arbitrary bytes. The decoders read the transcript by
// position, and the window renders the receive buffer piece by piece, so the
// token rule, the positions of printable characters and the way pieces join
// are all checked, not just that nothing crashes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link/transcript.hpp"

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

// The token a character must become, written out independently of the renderer.
std::string_view expectedToken(unsigned char c, char (&own)[2])
{
    switch (c) {
    case 6:
        return "ACK ";
    case 20:
        return "&";
    case 13:
        return "CR ";
    case 10:
        return "LF ";
    default:
        break;
    }
    if (c < 32 || c > 122)
        return "? ";
    own[0] = static_cast<char>(c);
    own[1] = ' ';
    return {own, 2};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string t = qm5::RenderTranscript(input);

    require(!t.empty() && t[0] == ' ');
    require(t.size() >= 1 + size && t.size() <= 1 + 4 * size);

    // Walk the transcript token by token: its length is the sum of the
    // token lengths, and every token stands where it should.
    std::size_t pos = 1;
    for (std::size_t i = 0; i < size; ++i) {
        char own[2];
        const std::string_view token = expectedToken(data[i], own);
        require(t.compare(pos, token.size(), token) == 0);
        pos += token.size();
    }
    require(pos == t.size());

    // Everything shown is itself printable, so the label never carries a
    // control character.
    for (const char ch : t) {
        const auto c = static_cast<unsigned char>(ch);
        require(c >= 32 && c <= 122);
    }

    // While the input is printable, character n sits at position 2n and
    // every odd position (1-based) is a blank: the reply keys depend on it.
    for (std::size_t i = 0; i < size && data[i] >= 32 && data[i] <= 122; ++i) {
        require(t[2 * i + 1] == static_cast<char>(data[i]));
        require(t[2 * i + 2] == ' ');
    }

    // Pieces join: the window appends the rendering of each new piece to
    // what it has already shown.
    for (const std::size_t cut : {size / 2, size / 3, size - size / 4}) {
        const std::string head = qm5::RenderTranscript(input.substr(0, cut));
        const std::string tail = qm5::RenderTranscript(input.substr(cut));
        require(tail[0] == ' ');
        require(head + tail.substr(1) == t);
    }

    // No state is kept between calls.
    require(qm5::RenderTranscript(input) == t);
    return 0;
}
