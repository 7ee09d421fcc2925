#pragma once
// What a command came to, as one line of output: plain text for people and
// scripts, or a JSON object for monitoring systems.

#include <QDateTime>

#include <string>

#include "cli/vocabulary.hpp"
#include "link/exchange_queue.hpp"

namespace qm5::cli {

// The tool's exit statuses.
enum ExitStatus : int {
    allAnswered = 0,   // or sent to all
    notCarriedOut = 1, // a reply missing, or the projector refused (NAK)
    usageError = 2,    // nothing was sent
    lineNotOpened = 3,
};

// How an outcome counts towards the exit status.
ExitStatus exitStatusOf(Outcome::Kind kind);

// The decoded status without its blanks at either end, "ACK", "NAK",
// "sent to all", the reply's transcript when nothing decodes it, or what
// went wrong.
std::string textLine(const Step& step, const Outcome& outcome);

// One JSON object: time, address, command, frame, reply (transcript), status
// (decoded text or null), ok, outcome ("answered", "missing"...) and values
// (the reply's reading as numbers, {} when there is none); error when the
// frame could not be sent.
std::string jsonLine(const Step& step, const Outcome& outcome, const std::string& address, const QDateTime& at);

// The cause of a failed open, with a hint when another program holds the
// line or the user may not use it.
std::string explainOpenFailure(const std::string& error);

} // namespace qm5::cli
