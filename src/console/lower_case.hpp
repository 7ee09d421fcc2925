#pragma once
#include <string>
#include <string_view>

namespace qm5 {

// Names and captions are matched without regard to case, ASCII only.
inline std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

} // namespace qm5
