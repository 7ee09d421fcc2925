#pragma once
// The layout table: the window and every control in it, with its place, look
// and start state, in twips. The Qt window is built from it and the tests read
// it; a control's name is its key here and its widget's object name.

#include "core/find_row.hpp"
#include "layout/control_names.hpp"
#include "layout/layout.hpp"

namespace qm5 {

inline constexpr WindowSpec mainWindow{
    "Form1", "ORVA   QM5    CONTROL   Ver.1.40", 9495, 8730, 0xC0C0C0, {FontFace::Gothic, 9, true}};

// The lines of the cursor pad's outline.
inline constexpr Colour lineColour = 0x8080FF;
inline constexpr int lineWidthPixels = 2;

namespace layout_detail {

// Every control except the 32 buttons of the input matrix, which follow from
// their row and column below.
inline constexpr ControlSpec fixedControls[] = {
    // Frames
    frame("Frame1", "", 120, 240, 1695, 975),
    frame("Frame2", "", 2160, 240, 3132, 975),
    frame("Frame6", "", 5640, 240, 1695, 975),
    frame("Frame10", "", 7680, 600, 1692, 1695),
    frame("Frame4", "", 120, 1440, 1695, 855),
    frame("Frame7", "", 2160, 1440, 1695, 855),
    frame("Frame5", "", 4200, 1440, 1815, 855),
    hidden(frame("Frame8", "", 3480, 3600, 2775, 1185)),
    frame("Frame13", "Frame8", 120, 480, 2535, 615),
    frame("Frame9", "", 45, 4920, 6312, 1290),
    frame("Frame11", "", 75, 6225, 6765, 465),
    frame("Frame14", "", 120, 6735, 7215, 1320),
    frame("Frame15", "", 120, 8055, 7215, 570),
    frame("Frame16", "", 7440, 6750, 1935, 945),

    // On the window, by top, then left
    {"Image1", K::Image, "", "", 8160, 120, 1200, 390, systemColour, win},
    {"Command5", K::Button, "", "↑", 1200, 2520, 855, 375, peach, p9b},
    {"Label13", K::Label, "", "Zoom", 4440, 2520, 492, 252, grey, g9},
    {"Label14", K::Label, "", "Focus", 5280, 2520, 615, 255, grey, g9},
    {"Label17", K::Label, "", "D.Zoom", 6360, 2520, 735, 255, grey, g9},
    {"Label18", K::Label, "", "Keystone", 7320, 2520, 855, 255, grey, g9},
    {"Command13", K::Button, "", "A-PC ADJ", 8400, 2760, 975, 250, lilac, g9},
    {"Command15", K::Button, "", "+", 4440, 2880, 375, 255, cyan, g9},
    {"Command36", K::Button, "", "+", 5280, 2880, 375, 255, cyan, g9},
    {"Command48", K::Button, "", "+", 6480, 2880, 375, 255, cyan, p9},
    {"Command50", K::Button, "", "+", 7440, 2880, 375, 255, cyan, g9},
    {"Command9", K::Button, "", "←", 240, 3000, 855, 375, peach, p9b},
    {"Command6", K::Button, "", "SELECT", 1200, 3000, 855, 375, 0xFF8000, g9},
    {"Command8", K::Button, "", "→", 2160, 3000, 855, 375, peach, p9b},
    {"Command30", K::Button, "", "IMAGE", 8400, 3120, 975, 255, lilac, g9},
    {"Command35", K::Button, "", "-", 4440, 3240, 375, 255, cyan, g9},
    {"Command37", K::Button, "", "-", 5280, 3240, 375, 255, cyan, g9},
    {"Command49", K::Button, "", "-", 6480, 3240, 375, 255, cyan, g9},
    {"Command51", K::Button, "", "-", 7440, 3240, 375, 255, cyan, g9},
    {"Command14", K::Button, "", "P-TIMER", 8400, 3360, 975, 250, lilac, g9},
    {"Command7", K::Button, "", "↓", 1200, 3480, 855, 375, peach, p9b},
    {"Command3", K::Button, "", "DISPLAY CLEAR", 8400, 3600, 975, 492, lilac, g9},
    {"Label19", K::Label, "", "LAMP SELECT", 6600, 3720, 1332, 252, grey, g9},
    {"Command56", K::Button, "", "4 LAMP", 6600, 3960, 1200, 372, cream, g9},
    {"Command4", K::Button, "", "STAND", 240, 4080, 975, 255, cyan, g9},
    {"Command10", K::Button, "", "REAL", 1200, 4080, 975, 255, cyan, g9},
    {"Command11", K::Button, "", "CINEMA", 2160, 4080, 975, 255, cyan, g9},
    {"Command33", K::Button, "", "COM", 4080, 4200, 1815, 375, systemColour, p9},
    {"Command39", K::Button, "", "IMAGE1", 240, 4320, 975, 255, cyan, g9},
    {"Command40", K::Button, "", "IMAGE2", 1200, 4320, 975, 255, cyan, g9},
    {"Command41", K::Button, "", "IMAGE3", 2160, 4320, 975, 255, cyan, g9},
    {"Command57", K::Button, "", "1-4", 6600, 4320, 606, 372, cream, g9},
    {"Command58", K::Button, "", "2-3", 7200, 4320, 606, 372, cream, g9},
    {"Command16", K::Button, "", "END", 8400, 4320, 975, 375, grey, win},
    {"Command42", K::Button, "", "IMAGE4", 240, 4560, 975, 255, cyan, g9},
    hidden({"Command34", K::Button, "", "データを表示する", 6615, 5040, 1200, 375, grey, p9}),
    {"Command52", K::Button, "", "P-FAIL", 8400, 5160, 975, 255, peach, win},
    {"Command44", K::Button, "", "STATUS", 6480, 5640, 975, 255, cyan, g825b},
    {"Command46", K::Button, "", "L-TIME", 7440, 5640, 975, 255, cyan, g825b},
    {"Command54", K::Button, "", "TEMP", 8400, 5640, 975, 252, cyan, g825b},
    {"Command45", K::Button, "", "MODE", 6480, 5880, 975, 255, cyan, g825b},
    {"Command47", K::Button, "", "SETTING", 7440, 5880, 975, 255, cyan, g825b},
    {"Command55", K::Button, "", "L-MODE", 8400, 5880, 975, 252, cyan, g825b},
    {"Command38", K::Button, "", "PC type", 7080, 6240, 1095, 255, cyan, g825b},
    {"Command12", K::Button, "", "SETTING 2", 8160, 6240, 1215, 252, cyan, g825b},
    {"Command99", K::Button, "", "PRESSURE", 8160, 7800, 1215, 255, peach, win},

    // The frames of the main area
    textColour(centred({"Label1", K::Label, "Frame1", "POWER", 240, 240, 1095, 255, grey, win}), 0xC00000),
    {"Command17", K::Button, "Frame1", "ON", 120, 600, 615, 300, green, p9b},
    {"Command18", K::Button, "Frame1", "OFF", 960, 600, 615, 300, pink, p9b},
    centred({"Label2", K::Label, "Frame2", "INPUT MODE SET", 600, 240, 1935, 255, grey, win}),
    {"Command27", K::Button, "Frame2", "1", 240, 600, 495, 300, cyan, p9b},
    {"Command28", K::Button, "Frame2", "2", 960, 600, 495, 300, cyan, p9b},
    {"Command29", K::Button, "Frame2", "3", 1680, 600, 495, 300, cyan, p9b},
    {"Command53", K::Button, "Frame2", "4", 2400, 600, 495, 300, cyan, p9b},
    centred({"Label7", K::Label, "Frame6", "MENU", 360, 240, 975, 255, grey, win}),
    {"Command23", K::Button, "Frame6", "ON", 120, 600, 615, 300, green, p9b},
    {"Command24", K::Button, "Frame6", "OFF", 960, 600, 615, 300, pink, p9b},
    centred({"Label20", K::Label, "Frame10", "LENS SHIFT", 120, 195, 1455, 300, grey, win}),
    {"Command59", K::Button, "Frame10", "↑", 600, 600, 492, 252, peach, p75},
    {"Command60", K::Button, "Frame10", "←", 240, 960, 492, 252, peach, p75},
    {"Command61", K::Button, "Frame10", "→", 960, 960, 492, 252, peach, p75},
    {"Command62", K::Button, "Frame10", "↓", 588, 1320, 492, 252, peach, p75},
    centred({"Label5", K::Label, "Frame4", "NO SHOW", 360, 210, 1095, 285, grey, win}),
    {"Command21", K::Button, "Frame4", "ON", 120, 480, 615, 300, green, p9b},
    {"Command22", K::Button, "Frame4", "OFF", 960, 480, 615, 300, pink, p9b},
    centred({"Label8", K::Label, "Frame7", "FREEZE", 240, 210, 1215, 285, grey, win}),
    {"Command25", K::Button, "Frame7", "ON", 120, 480, 615, 300, green, p9b},
    {"Command26", K::Button, "Frame7", "OFF", 960, 480, 615, 300, pink, p9b},
    centred({"Label6", K::Label, "Frame5", "AV Size", 240, 210, 1335, 285, grey, win}),
    {"Command31", K::Button, "Frame5", "Regular", 120, 480, 855, 300, cyan, p9},
    {"Command32", K::Button, "Frame5", "Wide", 1080, 480, 615, 300, cyan, p9},

    // The port panel: two separate groups
    {"Option1", K::Option, "Frame8", "COM1", 240, 240, 1215, 255, grey, win},
    {"Option2", K::Option, "Frame8", "COM2", 1560, 240, 1095, 255, grey, win},
    selected({"Option9", K::Option, "Frame13", "19200", 120, 240, 1095, 255, grey, win}),
    {"Option10", K::Option, "Frame13", "9600", 1440, 240, 975, 300, grey, win},

    // The data display
    rightAligned({"Label9", K::Label, "Frame9", "TXD", 105, 210, 390, 285, grey, g9}),
    bordered({"Label11", K::Label, "Frame9", "", 600, 180, 5610, 300, white, p975b}),
    rightAligned({"Label10", K::Label, "Frame9", "RXD", 60, 540, 450, 300, grey, g9}),
    bordered({"Label12", K::Label, "Frame9", "", 600, 540, 5616, 300, white, p975b}),
    {"Label23", K::Label, "Frame9", "STATUS", 120, 1005, 795, 225, grey, g825},
    textColour(bordered({"Label22", K::Label, "Frame9", "", 930, 900, 5295, 300, white, p9b}), 0xFF0000),

    // The projector address selector
    {"Label21", K::Label, "Frame11", "PJ Select", 60, 150, 1050, 255, grey, g825},
    selected({"Option3", K::Option, "Frame11", "SINGLE", 1155, 168, 1095, 225, grey, g825}),
    {"Option4", K::Option, "Frame11", "ALL", 2280, 165, 855, 225, grey, g825},
    {"Option5", K::Option, "Frame11", "001", 3240, 180, 735, 225, grey, g825},
    {"Option6", K::Option, "Frame11", "002", 4080, 180, 735, 225, grey, g825},
    {"Option7", K::Option, "Frame11", "003", 4920, 180, 795, 225, grey, g825},
    {"Option8", K::Option, "Frame11", "004", 5880, 180, 795, 225, grey, g825},

    // Row heads of the input matrix
    {"Label15", K::Label, "Frame14", "1", 120, 240, 255, 255, grey, win},
    {"Label16", K::Label, "Frame14", "2", 120, 480, 255, 255, grey, win},
    {"Label24", K::Label, "Frame14", "3", 120, 720, 255, 255, grey, win},
    {"Label25", K::Label, "Frame14", "4", 120, 960, 255, 255, grey, win},

    // Free-text line and fan speed
    {"Label26", K::Label, "Frame15", "CMD", 120, 240, 495, 255, grey, g975},
    {"Text1", K::TextBox, "Frame15", "", 600, 165, 5055, 345, systemColour, g975b},
    {"Command95", K::Button, "Frame15", "SEND", 5760, 240, 735, 255, green, win},
    {"Command96", K::Button, "Frame15", "CLS", 6480, 240, 615, 255, pink, win},
    {"Label27", K::Label, "Frame16", "FAN SPEED", 345, 285, 1215, 255, grey, win},
    {"Command97", K::Button, "Frame16", "MAX", 120, 600, 855, 255, green, win},
    {"Command98", K::Button, "Frame16", "NOR", 960, 600, 855, 255, green, win},
};

} // namespace layout_detail

// The input matrix in Frame14: a row for each input, a column for each kind
// of source; the captions repeat in every row.
inline constexpr std::array<int, 4> matrixRowTops{240, 480, 720, 960};
inline constexpr int matrixButtonHeight = 255;
inline constexpr std::array<MatrixColumn, 8> matrixColumns{{
    {"DVI", 360, 735},
    {"RGB", 1080, 735},
    {"VIDEO", 1800, 975},
    {"YPbPr", 2760, 975},
    {"YCbCr", 3720, 975},
    {"S-VIDEO", 4680, 975},
    {"YC", 5640, 735},
    {"SDI", 6360, 735},
}};

namespace layout_detail {

constexpr std::size_t fixedCount = sizeof(fixedControls) / sizeof(fixedControls[0]);
constexpr std::size_t matrixCount = matrixRowTops.size() * matrixColumns.size();

constexpr std::array<ControlSpec, fixedCount + matrixCount> makeControls()
{
    std::array<ControlSpec, fixedCount + matrixCount> all{};
    std::size_t n = 0;
    for (const auto& c : fixedControls)
        all[n++] = c;
    for (std::size_t row = 0; row < matrixRowTops.size(); ++row) {
        for (std::size_t col = 0; col < matrixColumns.size(); ++col) {
            const auto& column = matrixColumns[col];
            all[n++] = {controls::inputMatrix[row][col], K::Button, "Frame14", column.caption, column.left,
                matrixRowTops[row], column.width, matrixButtonHeight, cyan, g9};
        }
    }
    return all;
}

} // namespace layout_detail

// Every control of the window (frames first, then the rest; a container
// always comes before what it holds).
inline constexpr auto layoutControls = layout_detail::makeControls();

inline constexpr LineSpec lines[] = {
    {"Line7", 1080, 2400, 2160, 2400},
    {"Line1", 1080, 2400, 1080, 2880},
    {"Line2", 2160, 2400, 2160, 2880},
    {"Line8", 120, 2880, 1080, 2880},
    {"Line9", 2160, 2880, 3120, 2880},
    {"Line6", 120, 2880, 120, 3480},
    {"Line10", 120, 3480, 1080, 3480},
    {"Line12", 2160, 3480, 3120, 3480},
    {"Line5", 1080, 3480, 1080, 3960},
    {"Line4", 2160, 3480, 2160, 3960},
    {"Line11", 1080, 3960, 2160, 3960},
    {"Line3", 3120, 2880, 3120, 3480},
};

// The order in which the keyboard focus moves through the controls that can
// hold it; frames and labels never do, and a hidden control is skipped.
// clang-format off
inline constexpr std::array<std::string_view, 105> focusOrder{
    "Command17", "Command3", "Command5", "Command6", "Command7", "Command8", "Command9", "Command13",
    "Command14", "Command16", "Command18", "Command21", "Command22", "Command23", "Command24", "Command25",
    "Command26", "Command27", "Command28", "Command29", "Command31", "Command32", "Command33", "Option1",
    "Option2", "Command34", "Command15", "Command35", "Command36", "Command37", "Command44", "Command45",
    "Command46", "Command47", "Command48", "Command49", "Command50", "Command51", "Command53", "Command54",
    "Command55", "Command56", "Command57", "Command58", "Command59", "Command60", "Command61", "Command62",
    "Option3", "Option4", "Option5", "Option6", "Option7", "Option8", "Command12", "Command30",
    "Command38", "Option9", "Option10", "Command4", "Command10", "Command11", "Command39", "Command40",
    "Command41", "Command42", "Command52", "Command63", "Command64", "Command65", "Command66", "Command67",
    "Command68", "Command69", "Command70", "Command71", "Command72", "Command73", "Command74", "Command75",
    "Command76", "Command77", "Command78", "Command79", "Command80", "Command81", "Command82", "Command83",
    "Command84", "Command85", "Command86", "Command87", "Command88", "Command89", "Command90", "Command91",
    "Command92", "Command93", "Command94", "Text1", "Command95", "Command96", "Command97", "Command98",
    "Command99",
};
// clang-format on

// Where a control stands in the table; its size for an unknown name. No
// pointer is formed, so the lookups below stay constant expressions in a
// sanitized build as well.
constexpr std::size_t indexOf(std::string_view name)
{
    return rowIndex(layoutControls, &ControlSpec::name, name);
}

// The control of that name, or nullptr.
constexpr const ControlSpec* findControl(std::string_view name)
{
    const std::size_t i = indexOf(name);
    return i < layoutControls.size() ? &layoutControls[i] : nullptr;
}

constexpr bool isControl(std::string_view name, ControlKind kind)
{
    const std::size_t i = indexOf(name);
    return i < layoutControls.size() && layoutControls[i].kind == kind;
}

// The caption a control has in the layout; empty for an unknown name.
constexpr std::string_view captionOf(std::string_view name)
{
    const std::size_t i = indexOf(name);
    return i < layoutControls.size() ? layoutControls[i].caption : std::string_view();
}

// The font a control is drawn with: its own, or the window's.
constexpr FontSpec effectiveFont(const ControlSpec& c)
{
    return c.font.face == FontFace::Window ? mainWindow.font : c.font;
}

// Top-left of a control in the window's client area, in twips.
Point clientOrigin(const ControlSpec& c);

} // namespace qm5
