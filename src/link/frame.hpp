#pragma once
// A command frame: the address prefix, the command text and one carriage
// return. No start character, length, checksum or line feed.

#include <string>
#include <string_view>

namespace qm5 {

inline constexpr char carriageReturn = '\r';

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
