#include "window/inventory.hpp"

namespace qm5 {

const ControlSpec* findControl(std::string_view name)
{
    for (const auto& c : controls) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

Point clientOrigin(const ControlSpec& c)
{
    Point p{c.left, c.top};
    for (const ControlSpec* parent = findControl(c.container); parent; parent = findControl(parent->container)) {
        p.x += parent->left;
        p.y += parent->top;
    }
    return p;
}

} // namespace qm5
