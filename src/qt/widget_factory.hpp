#pragma once
// The window's widgets, made from the layout table: each control at its
// fixed place, in its colours and font, with its name as object name.

#include <QWidget>

#include <functional>
#include <map>
#include <string>

namespace qm5 {

using ControlWidgets = std::map<std::string, QWidget*, std::less<>>;

// Gives window the layout's title, colour, font and size, and builds every
// line and control on it. The widgets are returned by control name.
ControlWidgets buildWidgets(QWidget& window);

} // namespace qm5
