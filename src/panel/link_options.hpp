#pragma once
// The link's options as the panel's option buttons offer them: projector
// address, line speed and port.

#include <array>
#include <string_view>

#include "layout/control_names.hpp"
#include "protocol/frame.hpp"
#include "protocol/line_settings.hpp"

namespace qm5 {

struct AddressOption {
    std::string_view control;
    std::string_view prefix;
};

inline constexpr std::array<AddressOption, 6> addressOptions{{
    {controls::singleAddress, ""},
    {controls::allAddress, broadcastPrefix},
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
