#pragma once
// The line's settings as the panel writes them ("19200,N,8,1": speed,
// parity, data bits, stop bits), read once into a typed value, and the time
// bytes take on the wire at that speed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qm5 {

inline constexpr std::string_view startSettings = "19200,N,8,1";

// Bits a character takes on the wire: start bit, eight data bits, stop bit.
inline constexpr int bitsPerCharacter = 10;

enum class Parity {
    None,
    Even,
    Odd,
    Mark,
    Space
};
enum class StopBits {
    One,
    OneAndHalf,
    Two
};

struct LineSettings {
    long baud = 19200;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;
};

namespace line_settings_detail {

// A whole positive decimal number, nothing else; 0 when it is not one.
constexpr long positiveNumber(std::string_view text)
{
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 100'000'000)
            return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The next comma-separated field; text loses it and its comma.
constexpr std::string_view nextField(std::string_view& text, bool& more)
{
    const std::size_t comma = text.find(',');
    const std::string_view field = text.substr(0, comma);
    more = comma != std::string_view::npos;
    text = more ? text.substr(comma + 1) : std::string_view{};
    return field;
}

} // namespace line_settings_detail

// Exactly four fields: a speed above 0, parity N, E, O, M or S, 5 to 8 data
// bits, stop bits 1, 1.5 or 2. Nothing for anything else.
constexpr std::optional<LineSettings> parseLineSettings(std::string_view text)
{
    using namespace line_settings_detail;
    bool more = false;
    LineSettings s;
    s.baud = positiveNumber(nextField(text, more));
    if (s.baud <= 0 || !more)
        return std::nullopt;
    const std::string_view parity = nextField(text, more);
    if (!more || parity.size() != 1)
        return std::nullopt;
    switch (parity[0]) {
    case 'N':
        s.parity = Parity::None;
        break;
    case 'E':
        s.parity = Parity::Even;
        break;
    case 'O':
        s.parity = Parity::Odd;
        break;
    case 'M':
        s.parity = Parity::Mark;
        break;
    case 'S':
        s.parity = Parity::Space;
        break;
    default:
        return std::nullopt;
    }
    s.dataBits = static_cast<int>(positiveNumber(nextField(text, more)));
    if (s.dataBits < 5 || s.dataBits > 8 || !more)
        return std::nullopt;
    const std::string_view stop = nextField(text, more);
    if (more)
        return std::nullopt;
    if (stop == "1")
        s.stopBits = StopBits::One;
    else if (stop == "1.5")
        s.stopBits = StopBits::OneAndHalf;
    else if (stop == "2")
        s.stopBits = StopBits::Two;
    else
        return std::nullopt;
    return s;
}

static_assert(parseLineSettings(startSettings)->baud == 19200);

// Microseconds that bytes take on the wire at the speed of these settings;
// 0 for settings that do not read.
constexpr std::int64_t frameTimeUs(std::size_t bytes, std::string_view settings)
{
    const auto s = parseLineSettings(settings);
    return s ? static_cast<std::int64_t>(bytes) * bitsPerCharacter * 1'000'000 / s->baud : 0;
}

} // namespace qm5
