#pragma once
// What the panel's logic needs of the window toolkit. Controls are addressed
// by the names of the layout table, through the constants of
// layout/control_names.hpp. Geometry is in twips.

#include <string>
#include <string_view>

namespace qm5 {

class Display {
public:
    virtual ~Display() = default;

    virtual void setCaption(std::string_view control, const std::string& text) = 0;
    virtual std::string caption(std::string_view control) const = 0;
    virtual void setVisible(std::string_view control, bool visible) = 0;
    virtual bool isVisible(std::string_view control) const = 0;

    // Text of a text box. The text is one byte per character (Latin-1); the
    // toolkit side turns what it cannot represent into '?'.
    virtual std::string text(std::string_view control) const = 0;
    virtual void setText(std::string_view control, const std::string& text) = 0;

    // Marks an option button checked without running its handler.
    virtual void checkOption(std::string_view control) = 0;

    // Outer window geometry and the screen, in twips.
    virtual int windowWidth() const = 0;
    virtual int windowHeight() const = 0;
    virtual void setWindowHeight(int twips) = 0;
    virtual void setWindowLeft(double twips) = 0;
    virtual void setWindowTop(double twips) = 0;
    virtual int screenWidth() const = 0;
    virtual int screenHeight() const = 0;

    // Modal warning (exclamation icon, OK, caption "QM5RSC").
    virtual void showWarning(const std::string& text) = 0;

    // Unloads the window and ends the program.
    virtual void endProgram() = 0;
};

} // namespace qm5
