#pragma once
// A command frame: the address prefix, the command text and one carriage
// return. No start character, length, checksum or line feed.

#include <string>
#include <string_view>

namespace qm5 {

inline constexpr char carriageReturn = '\r';
// A command's one-byte replies: carried out, or refused as unknown.
inline constexpr char acknowledgement = 6;
inline constexpr char refusal = 21;

// The prefix that reaches every projector on the line at once; none of them
// answers a frame sent with it.
inline constexpr std::string_view broadcastPrefix = "AFFF";

inline std::string buildFrame(std::string_view prefix, std::string_view command)
{
    std::string frame;
    frame.reserve(prefix.size() + command.size() + 1);
    frame.append(prefix).append(command).push_back(carriageReturn);
    return frame;
}

// Whether frame is prefix & command & CR, exactly and whole.
constexpr bool isFrameOf(std::string_view frame, std::string_view prefix, std::string_view command)
{
    return frame.size() == prefix.size() + command.size() + 1 && frame.starts_with(prefix)
        && frame.substr(prefix.size(), command.size()) == command && frame.back() == carriageReturn;
}

} // namespace qm5
