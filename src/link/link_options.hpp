#pragma once
// The link's options: projector address, line speed and port, and the line
// settings every start begins with.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "window/control_names.hpp"

namespace qm5 {

inline constexpr std::string_view startSettings = "19200,N,8,1";

// Bits a character takes on the wire: start bit, eight data bits, stop bit.
inline constexpr int bitsPerCharacter = 10;

// Baud rate at the head of a settings text ("9600,N,8,1" gives 9600); 0 when
// there is none.
constexpr long baudOf(std::string_view settings)
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
constexpr std::int64_t frameTimeUs(std::size_t bytes, std::string_view settings)
{
    const long baud = baudOf(settings);
    return baud > 0 ? static_cast<std::int64_t>(bytes) * bitsPerCharacter * 1'000'000 / baud : 0;
}

struct AddressOption {
    std::string_view control;
    std::string_view prefix;
};

inline constexpr std::array<AddressOption, 6> addressOptions{{
    {controls::singleAddress, ""},
    {controls::allAddress, "AFFF"},
    {controls::address001, "A001"},
    {controls::address002, "A002"},
    {controls::address003, "A003"},
    {controls::address004, "A004"},
}};

struct SpeedOption {
    std::string_view control;
    std::string_view settings;
};

inline constexpr std::array<SpeedOption, 2> speedOptions{{
    {controls::speed19200, startSettings},
    {controls::speed9600, "9600,N,8,1"},
}};

// A port switch that fails falls back to the other port's number.
struct PortOption {
    std::string_view control;
    int port;
    int fallback;
};

inline constexpr std::array<PortOption, 2> portOptions{{
    {controls::com1, 1, 2},
    {controls::com2, 2, 1},
}};

} // namespace qm5
