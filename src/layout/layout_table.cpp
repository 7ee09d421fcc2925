#include "layout/layout_table.hpp"

namespace qm5 {

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
