#pragma once
// The option buttons of the link: projector address, line speed and port.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm5 {

inline constexpr std::string_view startSettings = "19200,N,8,1";

// Bits a character takes on the wire: start bit, eight data bits, stop bit.
inline constexpr int bitsPerCharacter = 10;

// Baud rate at the head of a settings text ("9600,N,8,1" gives 9600); 0 when
// there is none.
constexpr long BaudOf(std::string_view settings)
{
    long baud = 0;
    for (char c : settings.substr(0, settings.find(','))) {
        if (c < '0' || c > '9' || baud > 100'000'000)
            return 0;
        baud = baud * 10 + (c - '0');
    }
    return baud;
}

// Microseconds that bytes take on the wire at the speed of these settings.
constexpr std::int64_t FrameTimeUs(std::size_t bytes, std::string_view settings)
{
    const long baud = BaudOf(settings);
    return baud > 0 ? static_cast<std::int64_t>(bytes) * bitsPerCharacter * 1'000'000 / baud : 0;
}

struct AddressOption {
    std::string_view control;
    std::string_view caption;
    std::string_view prefix;
};

inline constexpr std::array<AddressOption, 6> addressOptions{{
    {"Option3", "SINGLE", ""},
    {"Option4", "ALL", "AFFF"},
    {"Option5", "001", "A001"},
    {"Option6", "002", "A002"},
    {"Option7", "003", "A003"},
    {"Option8", "004", "A004"},
}};

struct SpeedOption {
    std::string_view control;
    std::string_view caption;
    std::string_view settings;
};

inline constexpr std::array<SpeedOption, 2> speedOptions{{
    {"Option9", "19200", "19200,N,8,1"},
    {"Option10", "9600", "9600,N,8,1"},
}};

// A port switch that fails falls back to the other port's number.
struct PortOption {
    std::string_view control;
    std::string_view caption;
    int port;
    int fallback;
};

inline constexpr std::array<PortOption, 2> portOptions{{
    {"Option1", "COM1", 1, 2},
    {"Option2", "COM2", 2, 1},
}};

} // namespace qm5
