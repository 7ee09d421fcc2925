#pragma once
// The option buttons of the link: projector address, line speed and port.

#include <array>
#include <string_view>

namespace qm5 {

inline constexpr std::string_view startSettings = "19200,N,8,1";

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
