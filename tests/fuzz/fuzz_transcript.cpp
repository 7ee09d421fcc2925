// renderTranscript on arbitrary bytes: the decoders read the transcript by
// position and the window renders the receive buffer piece by piece.

#include <string>

#include "fuzz_check.hpp"
#include "link/transcript.hpp"

using qm5::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = qm5::fuzz::text(data, size);
    const std::string t = qm5::renderTranscript(input);
    require(!t.empty() && t[0] == ' ');

    // Token by token, against tokens written out apart from the renderer; the
    // length is the sum of the token lengths.
    std::size_t pos = 1;
    for (const char ch : input) {
        const auto c = static_cast<unsigned char>(ch);
        const std::string own{ch, ' '};
        const std::string_view token = c == 6 ? "ACK "
            : c == 20                         ? "&"
            : c == 13                         ? "CR "
            : c == 10                         ? "LF "
            : c < 32 || c > 122               ? "? "
                                              : std::string_view(own);
        require(t.compare(pos, token.size(), token) == 0);
        pos += token.size();
    }
    require(pos == t.size());

    // While the input is printable, character n stands at position 2n + 1 with
    // a blank after it: the reply keys are read there.
    for (std::size_t i = 0; i < size && data[i] >= 32 && data[i] <= 122; ++i)
        require(t[2 * i + 1] == static_cast<char>(data[i]) && t[2 * i + 2] == ' ');

    // Rendering in pieces and joining them equals rendering the whole.
    for (const std::size_t cut : {size / 2, size / 3, size - size / 4}) {
        const std::string tail = qm5::renderTranscript(input.substr(cut));
        require(tail[0] == ' ');
        require(qm5::renderTranscript(input.substr(0, cut)) + tail.substr(1) == t);
    }
    return 0;
}
