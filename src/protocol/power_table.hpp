#pragma once
#include "protocol/decode_table.hpp"
#include <array>

namespace qm5 {

// Reply to "CR0": the first two reply characters give the power state.
inline constexpr std::array<DecodeRow, 13> powerStatusRows{{
    {" 0 0", " Power ON"},
    {" 8 0", " Stand by"},
    {" 4 0", " Count down"},
    {" 2 0", " Cooling down"},
    {" 1 0", " Power Fail"},
    {" 0 8", " Temperature Warning(Power ON)"},
    {" 0 2", " NO Key input "},
    {" 0 4", " Lamp OFF by PWR Management"},
    {" 2 8", " Temperature Warning & cooling down"},
    {" 2 4", " Lamp OFF & Tempereture Warning by PWR Management"},
    {" 8 8", " Temperature Warning and recoverd"},
    {" 2 1", " Cooling down (All Lamp FAIL)"},
    {" 8 1", " Cooling down & sutandby (All Lamp FAIL)"},
}};

inline constexpr DecodeTable powerStatusTable{4, powerStatusRows};

} // namespace qm5
