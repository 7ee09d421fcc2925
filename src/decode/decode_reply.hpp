#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qm5 {

// Decodes the transcript of the receive buffer for the status query that was
// last sent. Returns the new status line, or nothing when it must stay as it is
// (no query with a decoder was last sent, or no rule matches).
std::optional<std::string> DecodeReply(
    std::string_view transcript, std::string_view lastCommand, std::string_view targetPrefix);

} // namespace qm5
