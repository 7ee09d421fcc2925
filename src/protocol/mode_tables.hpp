#pragma once
#include "protocol/decode_table.hpp"
#include <array>

namespace qm5 {

// Reply to "CR1": only the first reply character counts.
inline constexpr std::array<DecodeRow, 4> inputModeRows{{
    {" 1", " Input mode 1"},
    {" 2", " Input mode 2"},
    {" 3", " Input mode 3"},
    {" 4", " Input mode 4"},
}};

inline constexpr DecodeTable inputModeTable{2, inputModeRows};

// Reply to "CR4": two flags, 1 = not reversed (top/bottom, then left/right).
inline constexpr std::array<DecodeRow, 4> orientationRows{{
    {" 1 1", " Normally"},
    {" 1 0", " Top/Bottom reversal"},
    {" 0 1", " Left/Right reversal"},
    {" 0 0", " Top/Bottom , Left/Right reversal"},
}};

inline constexpr DecodeTable orientationTable{4, orientationRows};

// Reply to "CRA": in the "0x" rows x is a mask, 1 = video mute, 2 = audio mute.
inline constexpr std::array<DecodeRow, 6> muteSignalRows{{
    {" 0 0", " Video & Audio mute OFF"},
    {" 0 1", " Video mute ON"},
    {" 0 2", " Audio mute ON"},
    {" 0 3", " Video & Audio mute ON"},
    {" 8 0", " No signal"},
    {" F F", " Stand by"},
}};

inline constexpr DecodeTable muteSignalTable{4, muteSignalRows};

} // namespace qm5
