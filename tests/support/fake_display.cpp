#include "support/fake_display.hpp"

namespace qm5::test {

FakeDisplay::FakeDisplay() : hidden_{"Frame8", "Command34"}
{
    captions_.emplace("Command34", "データを表示する");
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

void FakeDisplay::selectOption(std::string_view control)
{
    selectedOptions.emplace_back(control);
}

} // namespace qm5::test
