#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qm5 {

// Decodes the transcript of the receive buffer for the status query that was
// last sent, told by the last frame under the current address prefix.
// Returns the new status line, or nothing when it must stay as it is (no query
// with a decoder was last sent, or no rule matches).
std::optional<std::string> decodeReply(
    std::string_view transcript, std::string_view lastFrame, std::string_view addressPrefix);

// Whether the reply to this command text has a decoder.
bool hasDecoder(std::string_view command);

} // namespace qm5
