// A misspelt control name fails here, at compile time, rather than doing
// nothing at run time. The names in the command catalogue and the option
// tables are checked where those tables are written.

#include "layout/control_names.hpp"

#include "layout/layout_table.hpp"

namespace qm5::controls {
namespace {

using K = ControlKind;

static_assert(isControl(txdLine, K::Label) && isControl(rxdLine, K::Label) && isControl(statusLine, K::Label));
static_assert(isControl(portPanel, K::Frame) && isControl(commandText, K::TextBox) && isControl(logo, K::Image));
static_assert(isControl(dataButton, K::Button) && isControl(endButton, K::Button) && isControl(sendButton, K::Button)
    && isControl(clearTextButton, K::Button) && isControl(comButton, K::Button));

constexpr bool focusOrderIsLaidOut()
{
    for (std::string_view name : focusOrder) {
        if (!isControl(name, K::Button) && !isControl(name, K::Option) && !isControl(name, K::TextBox))
            return false;
    }
    return true;
}
static_assert(focusOrderIsLaidOut());

} // namespace
} // namespace qm5::controls
