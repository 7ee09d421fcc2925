// The control inventory: complete, unique, every control inside its container,
// and a few known answers.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "window/inventory.hpp"

namespace qm5 {
namespace {

std::set<std::string> namesOf(ControlKind kind)
{
    std::set<std::string> out;
    for (const auto& c : controls)
        if (c.kind == kind)
            out.emplace(c.name);
    return out;
}

std::set<std::string> numbered(std::string_view stem, int first, int last, std::set<int> missing = {})
{
    std::set<std::string> out;
    for (int i = first; i <= last; ++i)
        if (!missing.count(i))
            out.insert(std::string(stem) + std::to_string(i));
    return out;
}

TEST(Inventory, EveryControlOfEachKindIsThereOnce)
{
    std::set<std::string> all;
    for (const auto& c : controls)
        EXPECT_TRUE(all.emplace(c.name).second) << "duplicate " << c.name;
    for (const auto& l : lines)
        EXPECT_TRUE(all.emplace(l.name).second) << "duplicate " << l.name;
    for (const auto& t : timers)
        EXPECT_TRUE(all.emplace(t.name).second) << "duplicate " << t.name;

    EXPECT_EQ(namesOf(ControlKind::Button).size(), 94u);
    EXPECT_EQ(namesOf(ControlKind::Button), numbered("Command", 3, 99, {19, 20, 43}));
    EXPECT_EQ(namesOf(ControlKind::Frame), numbered("Frame", 1, 16, {3, 12}));
    EXPECT_EQ(namesOf(ControlKind::Label), numbered("Label", 1, 27, {3, 4}));
    EXPECT_EQ(namesOf(ControlKind::Option), numbered("Option", 1, 10));
    EXPECT_EQ(namesOf(ControlKind::TextBox), std::set<std::string>{"Text1"});
    EXPECT_EQ(namesOf(ControlKind::Image), std::set<std::string>{"Image1"});

    std::set<std::string> lineNames;
    for (const auto& l : lines)
        lineNames.emplace(l.name);
    EXPECT_EQ(lineNames, numbered("Line", 1, 12));
}

TEST(Inventory, EveryControlLiesInsideItsContainer)
{
    std::set<std::string_view> seenFrames;
    for (const auto& c : controls) {
        SCOPED_TRACE(std::string(c.name));
        int width = form1Window.clientWidth;
        int height = form1Window.clientHeight;
        if (!c.container.empty()) {
            const ControlSpec* parent = findControl(c.container);
            ASSERT_NE(parent, nullptr);
            EXPECT_EQ(parent->kind, ControlKind::Frame);
            EXPECT_TRUE(seenFrames.count(c.container)) << "listed before its container";
            width = parent->width;
            height = parent->height;
        }
        if (c.kind == ControlKind::Frame)
            seenFrames.insert(c.name);
        EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.width > 0 && c.height > 0);
        EXPECT_LE(c.left + c.width, width);
        EXPECT_LE(c.top + c.height, height);
    }
}

TEST(Inventory, ControlsOfOneContainerOverlapByOnePixelAtMost)
{
    // Neighbours may share an edge up to one pixel wide; the one real
    // overlap is the port panel Frame8 lying over the "COM" button.
    std::map<std::string_view, std::vector<const ControlSpec*>> byContainer;
    for (const auto& c : controls)
        byContainer[c.container].push_back(&c);
    std::set<std::pair<std::string_view, std::string_view>> overlaps;
    for (const auto& [container, list] : byContainer) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            for (std::size_t j = i + 1; j < list.size(); ++j) {
                const ControlSpec& a = *list[i];
                const ControlSpec& b = *list[j];
                const int dx = std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
                const int dy = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
                if (std::min(dx, dy) > twipsPerPixel)
                    overlaps.emplace(std::min(a.name, b.name), std::max(a.name, b.name));
            }
        }
    }
    EXPECT_EQ(overlaps, (std::set<std::pair<std::string_view, std::string_view>>{{"Command33", "Frame8"}}));
}

TEST(Inventory, KnownAnswers)
{
    struct Known {
        std::string_view name;
        ControlKind kind;
        std::string_view container;
        std::string_view caption;
        int left, top, width, height;
        Colour back;
        FontSpec font;
    };
    const Known known[] = {
        {"Command5", ControlKind::Button, "", "↑", 1200, 2520, 855, 375, 0xFFE0C0, {FontFace::PGothic, 9, true}},
        {"Command34", ControlKind::Button, "", "データを表示する", 6615, 5040, 1200, 375, 0xC0C0C0,
         {FontFace::PGothic, 9, false}},
        {"Command33", ControlKind::Button, "", "COM", 4080, 4200, 1815, 375, systemColour,
         {FontFace::PGothic, 9, false}},
        {"Command16", ControlKind::Button, "", "END", 8400, 4320, 975, 375, 0xC0C0C0, {FontFace::Gothic, 9, true}},
        {"Command78", ControlKind::Button, "Frame14", "SDI", 6360, 480, 735, 255, 0xC0FFFF,
         {FontFace::Gothic, 9, false}},
        {"Label22", ControlKind::Label, "Frame9", "", 930, 900, 5295, 300, 0xFFFFFF, {FontFace::PGothic, 9, true}},
        {"Option10", ControlKind::Option, "Frame13", "9600", 1440, 240, 975, 300, 0xC0C0C0,
         {FontFace::Gothic, 9, true}},
        {"Text1", ControlKind::TextBox, "Frame15", "", 600, 165, 5055, 345, systemColour,
         {FontFace::Gothic, 9.75, true}},
    };
    for (const auto& k : known) {
        SCOPED_TRACE(std::string(k.name));
        const ControlSpec* c = findControl(k.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->kind, k.kind);
        EXPECT_EQ(c->container, k.container);
        EXPECT_EQ(c->caption, k.caption);
        EXPECT_EQ(c->left, k.left);
        EXPECT_EQ(c->top, k.top);
        EXPECT_EQ(c->width, k.width);
        EXPECT_EQ(c->height, k.height);
        EXPECT_EQ(c->back, k.back);
        const FontSpec f = effectiveFont(*c);
        EXPECT_EQ(f.face, k.font.face);
        EXPECT_DOUBLE_EQ(f.points, k.font.points);
        EXPECT_EQ(f.bold, k.font.bold);
    }
    EXPECT_EQ(form1Window.title, "ORVA   QM5    CONTROL   Ver.1.40");
    EXPECT_EQ(form1Window.clientHeight + nonClientHeight, 9100);
}

TEST(Inventory, StartStateOfHiddenAndSelectedControls)
{
    std::set<std::string> hidden;
    std::set<std::string> selected;
    for (const auto& c : controls) {
        if (!c.visible)
            hidden.emplace(c.name);
        if (c.selected) {
            EXPECT_EQ(c.kind, ControlKind::Option) << c.name;
            selected.emplace(c.name);
        }
    }
    EXPECT_EQ(hidden, (std::set<std::string>{"Command34", "Frame8"}));
    // Option1 is selected by start-up, not by the layout.
    EXPECT_EQ(selected, (std::set<std::string>{"Option3", "Option9"}));
    std::map<std::string_view, int> intervals;
    for (const auto& t : timers)
        if (!t.enabled)
            intervals[t.name] = t.interval;
    EXPECT_EQ(intervals, (std::map<std::string_view, int>{
                             {"Timer1", 200}, {"Timer2", 500}, {"Timer3", 5000}, {"Timer4", 1000}}));
}

TEST(Inventory, InputMatrixFollowsItsRowAndColumnRule)
{
    const std::string_view captions[] = {"DVI", "RGB", "VIDEO", "YPbPr", "YCbCr", "S-VIDEO", "YC", "SDI"};
    const std::string_view rowLabels[] = {"Label15", "Label16", "Label24", "Label25"};
    for (int row = 1; row <= 4; ++row) {
        const ControlSpec* head = findControl(rowLabels[row - 1]);
        ASSERT_NE(head, nullptr);
        EXPECT_EQ(head->caption, std::to_string(row));
        for (int col = 0; col < 8; ++col) {
            const std::string name = "Command" + std::to_string(63 + 8 * (row - 1) + col);
            const ControlSpec* c = findControl(name);
            ASSERT_NE(c, nullptr) << name;
            EXPECT_EQ(c->container, "Frame14") << name;
            EXPECT_EQ(c->caption, captions[col]) << name;
            EXPECT_EQ(c->top, head->top) << name; // level with its row head
        }
    }
}

TEST(Inventory, LinesOutlineAPlusAroundTheCursorPad)
{
    // Axis-parallel segments whose ends meet in pairs make one closed outline.
    std::map<std::pair<int, int>, int> ends;
    for (const auto& l : lines) {
        EXPECT_TRUE(l.x1 == l.x2 || l.y1 == l.y2) << l.name;
        ++ends[{l.x1, l.y1}];
        ++ends[{l.x2, l.y2}];
    }
    EXPECT_EQ(ends.size(), 12u);
    for (const auto& [point, count] : ends)
        EXPECT_EQ(count, 2) << point.first << "," << point.second;

}

TEST(Inventory, FocusOrderHoldsEveryFocusableControlOnce)
{
    std::set<std::string> focusable;
    for (const auto& c : controls)
        if (c.kind == ControlKind::Button || c.kind == ControlKind::Option || c.kind == ControlKind::TextBox)
            focusable.emplace(c.name);
    std::set<std::string> inOrder;
    for (auto name : focusOrder)
        EXPECT_TRUE(inOrder.emplace(name).second) << "twice: " << name;
    EXPECT_EQ(inOrder, focusable);
    EXPECT_EQ(focusOrder.front(), "Command17");
    EXPECT_EQ(focusOrder.back(), "Command99");
}

TEST(Inventory, TwipsToPixels)
{
    struct Case {
        double twips;
        int pixels;
    };
    const Case cases[] = {{0, 0}, {7, 0}, {7.5, 1}, {8, 1}, {15, 1}, {22, 1}, {23, 2},
                          {-7, 0}, {-8, -1}, {9495, 633}, {8730, 582}, {1252.5, 84}};
    for (const auto& c : cases)
        EXPECT_EQ(twipsToPixels(c.twips), c.pixels) << c.twips;
    EXPECT_EQ(pixelsToTwips(633), 9495);
}

} // namespace
} // namespace qm5
