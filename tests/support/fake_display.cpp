#include "support/fake_display.hpp"

#include "window/layout_table.hpp"

namespace qm5::test {

FakeDisplay::FakeDisplay()
{
    // Start state as the layout table gives it.
    for (const ControlSpec& c : layoutControls) {
        if (!c.visible)
            hidden_.emplace(c.name);
        if (!c.caption.empty())
            captions_.emplace(c.name, c.caption);
    }
}

void FakeDisplay::setCaption(std::string_view control, const std::string& text)
{
    captions_.insert_or_assign(std::string(control), text);
}

std::string FakeDisplay::caption(std::string_view control) const
{
    auto it = captions_.find(control);
    return it == captions_.end() ? std::string() : it->second;
}

void FakeDisplay::setVisible(std::string_view control, bool visible)
{
    if (visible) {
        if (auto it = hidden_.find(control); it != hidden_.end())
            hidden_.erase(it);
    } else {
        hidden_.emplace(control);
    }
}

bool FakeDisplay::isVisible(std::string_view control) const
{
    return hidden_.find(control) == hidden_.end();
}

std::string FakeDisplay::text(std::string_view control) const
{
    auto it = texts_.find(control);
    return it == texts_.end() ? std::string() : it->second;
}

void FakeDisplay::setText(std::string_view control, const std::string& text)
{
    texts_.insert_or_assign(std::string(control), text);
}

void FakeDisplay::checkOption(std::string_view control)
{
    checkedOptions.emplace_back(control);
}

} // namespace qm5::test
