#include "protocol/hours_and_temperatures.hpp"

#include <cstddef>

namespace qm5 {

namespace {

// Up to count characters from the 0-based position start; nothing when the
// transcript ends before start.
std::string_view cut(std::string_view text, std::size_t start, std::size_t count)
{
    if (start >= text.size()) {
        return {};
    }
    return text.substr(start, count);
}

} // namespace

std::string lampHoursText(std::string_view transcript)
{
    std::string out(cut(transcript, 0, 38));
    out += " Hour Use";
    return out;
}

std::string temperatureText(std::string_view transcript)
{
    std::string out = "  S1=";
    out += cut(transcript, 0, 10);
    out += " C  ,   S2= ";
    out += cut(transcript, 14, 8);
    out += " C";
    return out;
}

} // namespace qm5
