#pragma once
#include "protocol/decode_table.hpp"
#include <array>

namespace qm5 {

// Reply to "CR7": first character the lamp mode (0, 1, 2), second a hex mask
// of the lamps lit (1 = No1, 2 = No2, 4 = No3, 8 = No4). Upper-case hex only.
inline constexpr std::array<DecodeRow, 48> lampStatusRows{{
    {" 0 0", " All OFF : 4 Lamp mode"},
    {" 0 1", " No1 ON  : 4 Lamp mode"},
    {" 0 2", " No2 ON  : 4 Lamp mode"},
    {" 0 4", " No3 ON  : 4 Lamp mode"},
    {" 0 8", " No4 ON  : 4 Lamp mode"},
    {" 0 3", " No1,2 ON  : 4 Lamp mode"},
    {" 0 5", " No1,3 ON  : 4 Lamp mode"},
    {" 0 9", " No1,4 ON  : 4 Lamp mode"},
    {" 0 6", " No2,3 ON  : 4 Lamp mode"},
    {" 0 A", " No2,4 ON  : 4 Lamp mode"},
    {" 0 C", " No3,4 ON  : 4 Lamp mode"},
    {" 0 7", " No1,2,3 ON  : 4 Lamp mode"},
    {" 0 B", " No1,2,4 ON  : 4 Lamp mode"},
    {" 0 D", " No1,3,4 ON  : 4 Lamp mode"},
    {" 0 E", " No2,3,4 ON  : 4 Lamp mode"},
    {" 0 F", " All ON  : 4 Lamp mode"},
    {" 1 0", " All OFF : 2 Lamp mode(1,4)"},
    {" 1 1", " No1 ON  : 2 Lamp mode(1,4)"},
    {" 1 2", " No2 ON  : 2 Lamp mode(1,4)"},
    {" 1 4", " No3 ON  : 2 Lamp mode(1,4)"},
    {" 1 8", " No4 ON  : 2 Lamp mode(1,4)"},
    {" 1 3", " No1,2 ON  : 2 Lamp mode(1,4)"},
    {" 1 5", " No1,3 ON  : 2 Lamp mode(1,4)"},
    {" 1 9", " No1,4 ON  : 2 Lamp mode(1,4)"},
    {" 1 6", " No2,3 ON  : 2 Lamp mode(1,4)"},
    {" 1 A", " No2,4 ON  : 2 Lamp mode(1,4)"},
    {" 1 C", " No3,4 ON  : 2 Lamp mode(1,4)"},
    {" 1 7", " No1,2,3 ON  : 2 Lamp mode(1,4)"},
    {" 1 B", " No1,2,4 ON  : 2 Lamp mode(1,4)"},
    {" 1 D", " No1,3,4 ON  : 2 Lamp mode(1,4)"},
    {" 1 E", " No2,3,4 ON  : 2 Lamp mode(1,4)"},
    {" 1 F", " All ON  : 2 Lamp mode(1,4)"},
    {" 2 0", " All OFF : 2 Lamp mode(2,3)"},
    {" 2 1", " No1 ON  : 2 Lamp mode(2,3)"},
    {" 2 2", " No2 ON  : 2 Lamp mode(2,3)"},
    {" 2 4", " No3 ON  : 2 Lamp mode(2,3)"},
    {" 2 8", " No4 ON  : 2 Lamp mode(2,3)"},
    {" 2 3", " No1,2 ON  : 2 Lamp mode(2,3)"},
    {" 2 5", " No1,3 ON  : 2 Lamp mode(2,3)"},
    {" 2 9", " No1,4 ON  : 2 Lamp mode(2,3)"},
    {" 2 6", " No2,3 ON  : 2 Lamp mode(2,3)"},
    {" 2 A", " No2,4 ON  : 2 Lamp mode(2,3)"},
    {" 2 C", " No3,4 ON  : 2 Lamp mode(2,3)"},
    {" 2 7", " No1,2,3 ON  : 2 Lamp mode(2,3)"},
    {" 2 B", " No1,2,4 ON  : 2 Lamp mode(2,3)"},
    {" 2 D", " No1,3,4 ON  : 2 Lamp mode(2,3)"},
    {" 2 E", " No2,3,4 ON  : 2 Lamp mode(2,3)"},
    {" 2 F", " All ON  : 2 Lamp mode(2,3)"},
}};

inline constexpr DecodeTable lampStatusTable{4, lampStatusRows};

} // namespace qm5
