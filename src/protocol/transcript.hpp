#pragma once
#include <string>
#include <string_view>

namespace qm5 {

// The visible form of a frame or a reply: a leading blank, then one token per
// character ("ACK ", "&", "CR ", "LF ", "? ", or the character and a blank).
// Reply decoding reads this text, so every token matters.
std::string renderTranscript(std::string_view text);

} // namespace qm5
