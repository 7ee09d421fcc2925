#pragma once
// The shape of the layout table: what a control, the window and a line are
// made of, in twips, and the one twips-to-pixel rule. Nothing here depends
// on a toolkit.

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

// The window's outer height counts this much title bar and border above and
// below the client area, whatever the real frame is: the full view's outer
// height is the client height plus this.
inline constexpr int nonClientHeight = 370;

struct LineSpec {
    std::string_view name;
    int x1, y1, x2, y2;
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

// The words the layout table is written in.
namespace layout_detail {

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

} // namespace layout_detail

struct Point {
    int x;
    int y;
};

} // namespace qm5
