#pragma once
// The controls the logic touches, by what they are. Each stands for a row of
// the layout table (layout/layout_table.hpp), whose keys are the controls'
// names and the widgets' object names; layout/control_names.cpp checks at
// compile time that every one of them is there, of the right kind.

#include <array>
#include <string_view>

namespace qm5::controls {

using Name = std::string_view;

// The data display and the other controls with a part of their own.
inline constexpr Name txdLine = "Label11";    // transcript of the frame sent
inline constexpr Name rxdLine = "Label12";    // transcript of what came back
inline constexpr Name statusLine = "Label22"; // decoded status
inline constexpr Name portPanel = "Frame8";   // COM1/COM2 and the speeds
inline constexpr Name commandText = "Text1";  // free-text command line
inline constexpr Name logo = "Image1";
inline constexpr Name dataButton = "Command34"; // data display toggle and CLOSE
inline constexpr Name endButton = "Command16";
inline constexpr Name sendButton = "Command95";
inline constexpr Name clearTextButton = "Command96";
inline constexpr Name comButton = "Command33";

// Options: port, speed, projector address.
inline constexpr Name com1 = "Option1";
inline constexpr Name com2 = "Option2";
inline constexpr Name speed19200 = "Option9";
inline constexpr Name speed9600 = "Option10";
inline constexpr Name singleAddress = "Option3";
inline constexpr Name allAddress = "Option4";
inline constexpr Name address001 = "Option5";
inline constexpr Name address002 = "Option6";
inline constexpr Name address003 = "Option7";
inline constexpr Name address004 = "Option8";

// One click, one frame.
inline constexpr Name powerOn = "Command17";
inline constexpr Name powerOff = "Command18";
inline constexpr Name inputMode1 = "Command27";
inline constexpr Name inputMode2 = "Command28";
inline constexpr Name inputMode3 = "Command29";
inline constexpr Name inputMode4 = "Command53";
inline constexpr Name noShowOn = "Command21";
inline constexpr Name noShowOff = "Command22";
inline constexpr Name sizeRegular = "Command31";
inline constexpr Name sizeWide = "Command32";
inline constexpr Name menuOn = "Command23";
inline constexpr Name menuOff = "Command24";
inline constexpr Name freezeOn = "Command25";
inline constexpr Name freezeOff = "Command26";
inline constexpr Name fourLamps = "Command56";
inline constexpr Name lamps1And4 = "Command57";
inline constexpr Name lamps2And3 = "Command58";
inline constexpr Name fanMax = "Command97";
inline constexpr Name fanNormal = "Command98";
inline constexpr Name autoPcAdjust = "Command13";
inline constexpr Name imageKey = "Command30";
inline constexpr Name pictureTimer = "Command14";
inline constexpr Name displayClear = "Command3";
inline constexpr Name pictureStand = "Command4";
inline constexpr Name pictureReal = "Command10";
inline constexpr Name pictureCinema = "Command11";
inline constexpr Name pictureImage1 = "Command39";
inline constexpr Name pictureImage2 = "Command40";
inline constexpr Name pictureImage3 = "Command41";
inline constexpr Name pictureImage4 = "Command42";

// Status queries.
inline constexpr Name statusQuery = "Command44";
inline constexpr Name modeQuery = "Command45";
inline constexpr Name orientationQuery = "Command47"; // SETTING: the picture's orientation
inline constexpr Name muteQuery = "Command12";        // SETTING 2: mutes and signal
inline constexpr Name lampModeQuery = "Command55";
inline constexpr Name lampTimeQuery = "Command46";
inline constexpr Name temperatureQuery = "Command54";
inline constexpr Name pcTypeQuery = "Command38";
inline constexpr Name pressureQuery = "Command99";
inline constexpr Name powerFailQuery = "Command52";

// Held: repeat while the mouse button is down.
inline constexpr Name cursorUp = "Command5";
inline constexpr Name cursorDown = "Command7";
inline constexpr Name cursorLeft = "Command9";
inline constexpr Name cursorRight = "Command8";
inline constexpr Name cursorSelect = "Command6";
inline constexpr Name zoomPlus = "Command15";
inline constexpr Name zoomMinus = "Command35";
inline constexpr Name focusPlus = "Command36";
inline constexpr Name focusMinus = "Command37";
inline constexpr Name digitalZoomPlus = "Command48";
inline constexpr Name digitalZoomMinus = "Command49";
inline constexpr Name keystonePlus = "Command50";
inline constexpr Name keystoneMinus = "Command51";
inline constexpr Name shiftUp = "Command59";
inline constexpr Name shiftDown = "Command62";
inline constexpr Name shiftLeft = "Command60";
inline constexpr Name shiftRight = "Command61";

// The input matrix: a row for each of the projector's inputs 1 to 4, a
// column for each kind of source (DVI, RGB, VIDEO, YPbPr, YCbCr, S-VIDEO,
// YC, SDI).
inline constexpr std::array<std::array<Name, 8>, 4> inputMatrix{{
    {"Command63", "Command64", "Command65", "Command66", "Command67", "Command68", "Command69", "Command70"},
    {"Command71", "Command72", "Command73", "Command74", "Command75", "Command76", "Command77", "Command78"},
    {"Command79", "Command80", "Command81", "Command82", "Command83", "Command84", "Command85", "Command86"},
    {"Command87", "Command88", "Command89", "Command90", "Command91", "Command92", "Command93", "Command94"},
}};

} // namespace qm5::controls
