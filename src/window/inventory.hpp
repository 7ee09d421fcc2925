#pragma once
// The window's control inventory: every control with its place, look and
// start state, in twips. Both the Qt window and the tests read these tables;
// nothing here depends on a toolkit.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm5 {

enum class ControlKind {
    Frame,
    Button,
    Label,
    Option,
    TextBox,
    Image
};
enum class FontFace {
    Window,
    Gothic,
    PGothic
};
enum class Alignment {
    Left,
    Center,
    Right
};

inline constexpr std::string_view gothicFace = "ＭＳ ゴシック";
inline constexpr std::string_view pGothicFace = "ＭＳ Ｐゴシック";

struct FontSpec {
    FontFace face = FontFace::Window; // Window: no font of its own
    double points = 0;
    bool bold = false;
};

// 0xRRGGBB, or systemColour: the system button face for buttons, the system
// window colour for the text box, nothing painted for the image.
using Colour = std::int32_t;
inline constexpr Colour systemColour = -1;

struct ControlSpec {
    std::string_view name;
    ControlKind kind = ControlKind::Label;
    std::string_view container; // "" for the window's client area
    std::string_view caption;   // UTF-8
    int left = 0;               // relative to the container's outer top-left
    int top = 0;
    int width = 0;
    int height = 0;
    Colour back = systemColour;
    FontSpec font;
    Alignment align = Alignment::Left;
    bool border = false;
    Colour fore = 0x000000;
    bool visible = true;
    bool selected = false; // option buttons: selected when the window is created
};

struct WindowSpec {
    std::string_view name;
    std::string_view title;
    int clientWidth;
    int clientHeight;
    Colour back;
    FontSpec font;
};

inline constexpr WindowSpec form1Window{
    "Form1", "ORVA   QM5    CONTROL   Ver.1.40", 9495, 8730, 0xC0C0C0, {FontFace::Gothic, 9, true}};

// The window's outer height counts this much title bar and border above and
// below the client area, whatever the real frame is: the full view's outer
// height is the client height plus this.
inline constexpr int nonClientHeight = 370;

struct LineSpec {
    std::string_view name;
    int x1, y1, x2, y2;
};
inline constexpr Colour lineColour = 0x8080FF;
inline constexpr int lineWidthPixels = 2;

struct TimerSpec {
    std::string_view name;
    int interval; // ms
    bool enabled;
};

struct MatrixColumn {
    std::string_view caption;
    int left;
    int width;
};

// One twips-to-pixel rule for the whole window (96 dpi reference); the
// toolkit's own high-DPI scaling does the rest. Rounds half away from zero.
inline constexpr int twipsPerPixel = 15;
constexpr int twipsToPixels(double twips)
{
    const double px = twips / twipsPerPixel;
    return static_cast<int>(px >= 0 ? px + 0.5 : px - 0.5);
}
constexpr int pixelsToTwips(int pixels)
{
    return pixels * twipsPerPixel;
}

namespace inventory_detail {

using K = ControlKind;
using A = Alignment;
inline constexpr Colour grey = 0xC0C0C0;
inline constexpr Colour cyan = 0xC0FFFF;
inline constexpr Colour peach = 0xFFE0C0;
inline constexpr Colour lilac = 0xC0C0FF;
inline constexpr Colour green = 0xC0FFC0;
inline constexpr Colour pink = 0xFFC0C0;
inline constexpr Colour cream = 0xFFFFC0;
inline constexpr Colour white = 0xFFFFFF;

inline constexpr FontSpec win{};
inline constexpr FontSpec g9{FontFace::Gothic, 9, false};
inline constexpr FontSpec g825{FontFace::Gothic, 8.25, false};
inline constexpr FontSpec g825b{FontFace::Gothic, 8.25, true};
inline constexpr FontSpec g975{FontFace::Gothic, 9.75, false};
inline constexpr FontSpec g975b{FontFace::Gothic, 9.75, true};
inline constexpr FontSpec p9{FontFace::PGothic, 9, false};
inline constexpr FontSpec p9b{FontFace::PGothic, 9, true};
inline constexpr FontSpec p75{FontFace::PGothic, 7.5, false};
inline constexpr FontSpec p975b{FontFace::PGothic, 9.75, true};

constexpr ControlSpec centred(ControlSpec c)
{
    c.align = Alignment::Center;
    return c;
}
constexpr ControlSpec rightAligned(ControlSpec c)
{
    c.align = Alignment::Right;
    return c;
}
constexpr ControlSpec bordered(ControlSpec c)
{
    c.border = true;
    return c;
}
constexpr ControlSpec textColour(ControlSpec c, Colour fore)
{
    c.fore = fore;
    return c;
}
constexpr ControlSpec hidden(ControlSpec c)
{
    c.visible = false;
    return c;
}
constexpr ControlSpec selected(ControlSpec c)
{
    c.selected = true;
    return c;
}
constexpr ControlSpec frame(std::string_view name, std::string_view container, int l, int t, int w, int h)
{
    return {name, K::Frame, container, "", l, t, w, h, grey, win};
}

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

} // namespace inventory_detail

// The input matrix in Frame14: row n (1..4) and column k (0..7) hold
// Command(63 + 8(n-1) + k). Captions repeat in every row.
inline constexpr int matrixFirstButton = 63;
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
inline constexpr std::size_t matrixButtonCount = matrixRowTops.size() * matrixColumns.size();

namespace inventory_detail {

// Storage for the generated names "Command63".."Command94".
struct MatrixNames {
    std::array<std::array<char, 10>, matrixButtonCount> text{};
};
constexpr MatrixNames makeMatrixNames()
{
    MatrixNames names;
    for (std::size_t i = 0; i < matrixButtonCount; ++i) {
        const int number = matrixFirstButton + static_cast<int>(i);
        auto& out = names.text[i];
        constexpr std::string_view stem = "Command";
        for (std::size_t c = 0; c < stem.size(); ++c)
            out[c] = stem[c];
        out[7] = static_cast<char>('0' + number / 10);
        out[8] = static_cast<char>('0' + number % 10);
        out[9] = '\0';
    }
    return names;
}
inline constexpr MatrixNames matrixNames = makeMatrixNames();

constexpr std::size_t fixedCount = sizeof(fixedControls) / sizeof(fixedControls[0]);

constexpr std::array<ControlSpec, fixedCount + matrixButtonCount> makeControls()
{
    std::array<ControlSpec, fixedCount + matrixButtonCount> all{};
    std::size_t n = 0;
    for (const auto& c : fixedControls)
        all[n++] = c;
    for (std::size_t row = 0; row < matrixRowTops.size(); ++row) {
        for (std::size_t col = 0; col < matrixColumns.size(); ++col) {
            const std::size_t i = row * matrixColumns.size() + col;
            const auto& column = matrixColumns[col];
            all[n++] = {std::string_view(matrixNames.text[i].data(), 9), K::Button, "Frame14", column.caption,
                column.left, matrixRowTops[row], column.width, matrixButtonHeight, cyan, g9};
        }
    }
    return all;
}

} // namespace inventory_detail

// Every control of the window (frames first, then the rest; a container
// always comes before what it holds).
inline constexpr auto controls = inventory_detail::makeControls();

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

inline constexpr TimerSpec timers[] = {
    {"Timer1", 200, false},
    {"Timer2", 500, false},
    {"Timer3", 5000, false},
    {"Timer4", 1000, false},
};

// Keyboard focus order of the controls that can hold the focus.
inline constexpr std::array<std::string_view, 105> focusOrder{
    "Command17",
    "Command3",
    "Command5",
    "Command6",
    "Command7",
    "Command8",
    "Command9",
    "Command13",
    "Command14",
    "Command16",
    "Command18",
    "Command21",
    "Command22",
    "Command23",
    "Command24",
    "Command25",
    "Command26",
    "Command27",
    "Command28",
    "Command29",
    "Command31",
    "Command32",
    "Command33",
    "Option1",
    "Option2",
    "Command34",
    "Command15",
    "Command35",
    "Command36",
    "Command37",
    "Command44",
    "Command45",
    "Command46",
    "Command47",
    "Command48",
    "Command49",
    "Command50",
    "Command51",
    "Command53",
    "Command54",
    "Command55",
    "Command56",
    "Command57",
    "Command58",
    "Command59",
    "Command60",
    "Command61",
    "Command62",
    "Option3",
    "Option4",
    "Option5",
    "Option6",
    "Option7",
    "Option8",
    "Command12",
    "Command30",
    "Command38",
    "Option9",
    "Option10",
    "Command4",
    "Command10",
    "Command11",
    "Command39",
    "Command40",
    "Command41",
    "Command42",
    "Command52",
    "Command63",
    "Command64",
    "Command65",
    "Command66",
    "Command67",
    "Command68",
    "Command69",
    "Command70",
    "Command71",
    "Command72",
    "Command73",
    "Command74",
    "Command75",
    "Command76",
    "Command77",
    "Command78",
    "Command79",
    "Command80",
    "Command81",
    "Command82",
    "Command83",
    "Command84",
    "Command85",
    "Command86",
    "Command87",
    "Command88",
    "Command89",
    "Command90",
    "Command91",
    "Command92",
    "Command93",
    "Command94",
    "Text1",
    "Command95",
    "Command96",
    "Command97",
    "Command98",
    "Command99",
};

// The control of that name, or nullptr.
const ControlSpec* findControl(std::string_view name);

// The font a control is drawn with: its own, or the window's.
constexpr FontSpec effectiveFont(const ControlSpec& c)
{
    return c.font.face == FontFace::Window ? form1Window.font : c.font;
}

struct Point {
    int x;
    int y;
};
// Top-left of a control in the window's client area, in twips.
Point clientOrigin(const ControlSpec& c);

} // namespace qm5
