#pragma once
// One PJLink Class 1 command line and its answer line: "%1POWR 1" CR in,
// "%1POWR=OK" CR out. Nothing here knows the projector.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qm5::pjlink {

inline constexpr char terminator = '\r';
inline constexpr std::string_view getParameter = "?";
// "%", class, four-letter body, blank, at most 128 parameter bytes, CR.
inline constexpr std::size_t maxParameterBytes = 128;
inline constexpr std::size_t maxLineBytes = 2 + 4 + 1 + maxParameterBytes + 1;
// With a password the first line carries the 32 hex digits of the digest too.
inline constexpr std::size_t digestLength = 32;
inline constexpr std::size_t maxPasswordBytes = 32;
inline constexpr int standardPort = 4352;
inline constexpr int idleCloseMs = 30'000;

inline constexpr std::string_view noPasswordGreeting = "PJLINK 0";
inline constexpr std::string_view passwordGreeting = "PJLINK 1 "; // then the random number
inline constexpr std::string_view wrongPassword = "PJLINK ERRA";

// The answers every command may give besides its own.
inline constexpr std::string_view ok = "OK";
inline constexpr std::string_view undefinedCommand = "ERR1";
inline constexpr std::string_view outOfParameter = "ERR2";
inline constexpr std::string_view unavailableTime = "ERR3";
inline constexpr std::string_view projectorFailure = "ERR4";

struct Command {
    char classDigit = '1';
    std::string body;      // "POWR"
    std::string parameter; // "1", "?"
    bool hasSeparator = true;

    bool isGet() const { return hasSeparator && parameter == getParameter; }
};

// A line without its CR. Nothing when it is not PJLink at all: no "%", no
// class digit or no body of four letters and digits; such a line gets no answer.
std::optional<Command> parseCommand(std::string_view line);

// "%1POWR=OK" and the CR.
std::string answerLine(const Command& command, std::string_view value);

} // namespace qm5::pjlink
