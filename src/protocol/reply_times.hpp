#pragma once
// How long a sent frame waits for its reply, and when the panel's display
// clears after it. The buttons' tables say which frame gets which.

namespace qm5 {

struct ReplyTimes {
    int replyWindowMs;
    int displayClearMs;
};

inline constexpr ReplyTimes startReplyTimes{500, 1000};
// Picture modes, P-FAIL and free-text SEND wait longer for their reply.
inline constexpr ReplyTimes longReplyTimes{2000, 2500};
// Switching an input's source takes the projector longest.
inline constexpr ReplyTimes inputReplyTimes{5000, 5500};

} // namespace qm5
