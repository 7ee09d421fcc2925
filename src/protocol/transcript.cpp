#include "protocol/transcript.hpp"

#include "protocol/frame.hpp"

namespace qm5 {

std::string renderTranscript(std::string_view text)
{
    std::string out;
    out.reserve(1 + 2 * text.size() + 8);
    out.push_back(' ');
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == acknowledgement) {
            out += "ACK ";
        } else if (c == 20) {
            out.push_back('&');
        } else if (c == carriageReturn) {
            out += "CR ";
        } else if (c == 10) {
            out += "LF ";
        } else if (c >= 32 && c <= 'z') {
            out.push_back(ch);
            out.push_back(' ');
        } else {
            out += "? ";
        }
    }
    return out;
}

} // namespace qm5
