#pragma once
// The one-shot buttons: one click sends one command frame. Each row names
// its button (layout/control_names.hpp), the command it sends and the reply
// times it sets; the captions are the layout table's.

#include <array>
#include <optional>
#include <string_view>

#include "core/find_row.hpp"
#include "layout/control_names.hpp"
#include "protocol/reply_times.hpp"

namespace qm5 {

struct OneShotButton {
    std::string_view control;
    std::string_view code;
    // Set before sending; none leaves both times as the last sender set them.
    std::optional<ReplyTimes> replyTimes{};
    // After sending, the cursor-pad arrows take the menu's pace and context.
    bool armsMenuArrows = false;
};

inline constexpr std::array<OneShotButton, 72> oneShotButtons{{
    {controls::powerOn, "C00"},
    {controls::powerOff, "C01"},
    {controls::inputMode1, "C05"},
    {controls::inputMode2, "C06"},
    {controls::inputMode3, "C07"},
    {controls::inputMode4, "C08"},
    {controls::noShowOn, "C0D"},
    {controls::noShowOff, "C0E"},
    {controls::sizeRegular, "C0F"},
    {controls::sizeWide, "C10"},
    {controls::menuOn, "C1C", {}, true},
    {controls::menuOff, "C1D"},
    {controls::freezeOn, "C43"},
    {controls::freezeOff, "C44"},
    {controls::fourLamps, "C70"},
    {controls::lamps1And4, "C71"},
    {controls::lamps2And3, "C72"},
    {controls::fanMax, "CF FANSPEED MAX"},
    {controls::fanNormal, "CF FANSPEED NOR"},
    {controls::autoPcAdjust, "C89", {}, true},
    {controls::imageKey, "C27"},
    {controls::pictureTimer, "C8A"},
    {controls::displayClear, "C1E"},
    {controls::pictureStand, "CF IMAGE STAND", longReplyTimes},
    {controls::pictureReal, "CF IMAGE REAL", longReplyTimes},
    {controls::pictureCinema, "CF IMAGE CINEMA", longReplyTimes},
    {controls::pictureImage1, "CF IMAGE IMAGE1", longReplyTimes},
    {controls::pictureImage2, "CF IMAGE IMAGE2", longReplyTimes},
    {controls::pictureImage3, "CF IMAGE IMAGE3", longReplyTimes},
    {controls::pictureImage4, "CF IMAGE IMAGE4", longReplyTimes},
    // Status queries: the reply's decoder is chosen by the frame last sent.
    {controls::statusQuery, "CR0"},
    {controls::modeQuery, "CR1"},
    {controls::orientationQuery, "CR4"},
    {controls::muteQuery, "CRA"},
    {controls::lampModeQuery, "CR7"},
    {controls::lampTimeQuery, "CR3"},
    {controls::temperatureQuery, "CR6"},
    {controls::pcTypeQuery, "CR9"},
    {controls::pressureQuery, "CR PRESSURE"},
    {controls::powerFailQuery, "CR INFPFAIL", longReplyTimes},
    // The input matrix: which source each of the four inputs takes.
    {controls::inputMatrix[0][0], "CF INPUT1 DIGITAL", inputReplyTimes},
    {controls::inputMatrix[0][1], "CF INPUT1 ANALOG", inputReplyTimes},
    {controls::inputMatrix[0][2], "CF INPUT1 VIDEO", inputReplyTimes},
    {controls::inputMatrix[0][3], "CF INPUT1 YPBPR", inputReplyTimes},
    {controls::inputMatrix[0][4], "CF INPUT1 YCBCR", inputReplyTimes},
    {controls::inputMatrix[0][5], "CF INPUT1 S-VIDEO", inputReplyTimes},
    {controls::inputMatrix[0][6], "CF INPUT1 YC", inputReplyTimes},
    {controls::inputMatrix[0][7], "CF INPUT1 HD-SDI", inputReplyTimes},
    {controls::inputMatrix[1][0], "CF INPUT2 DIGITAL", inputReplyTimes},
    {controls::inputMatrix[1][1], "CF INPUT2 ANALOG", inputReplyTimes},
    {controls::inputMatrix[1][2], "CF INPUT2 VIDEO", inputReplyTimes},
    {controls::inputMatrix[1][3], "CF INPUT2 YPBPR", inputReplyTimes},
    {controls::inputMatrix[1][4], "CF INPUT2 YCBCR", inputReplyTimes},
    {controls::inputMatrix[1][5], "CF INPUT2 S-VIDEO", inputReplyTimes},
    {controls::inputMatrix[1][6], "CF INPUT2 YC", inputReplyTimes},
    {controls::inputMatrix[1][7], "CF INPUT2 HD-SDI", inputReplyTimes},
    {controls::inputMatrix[2][0], "CF INPUT3 DIGITAL", inputReplyTimes},
    {controls::inputMatrix[2][1], "CF INPUT3 ANALOG", inputReplyTimes},
    {controls::inputMatrix[2][2], "CF INPUT3 VIDEO", inputReplyTimes},
    {controls::inputMatrix[2][3], "CF INPUT3 YPBPR", inputReplyTimes},
    {controls::inputMatrix[2][4], "CF INPUT3 YCBCR", inputReplyTimes},
    {controls::inputMatrix[2][5], "CF INPUT3 S-VIDEO", inputReplyTimes},
    {controls::inputMatrix[2][6], "CF INPUT3 YC", inputReplyTimes},
    {controls::inputMatrix[2][7], "CF INPUT3 HD-SDI", inputReplyTimes},
    {controls::inputMatrix[3][0], "CF INPUT4 DIGITAL", inputReplyTimes},
    {controls::inputMatrix[3][1], "CF INPUT4 ANALOG", inputReplyTimes},
    {controls::inputMatrix[3][2], "CF INPUT4 VIDEO", inputReplyTimes},
    {controls::inputMatrix[3][3], "CF INPUT4 YPBPR", inputReplyTimes},
    {controls::inputMatrix[3][4], "CF INPUT4 YCBCR", inputReplyTimes},
    {controls::inputMatrix[3][5], "CF INPUT4 S-VIDEO", inputReplyTimes},
    {controls::inputMatrix[3][6], "CF INPUT4 YC", inputReplyTimes},
    {controls::inputMatrix[3][7], "CF INPUT4 HD-SDI", inputReplyTimes},
}};

constexpr const OneShotButton* findOneShotButton(std::string_view control)
{
    return findRow(oneShotButtons, &OneShotButton::control, control);
}

} // namespace qm5
