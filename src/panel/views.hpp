#pragma once
// The four views of the one tall layout: the window shows more or less of it
// by its outer height alone. The service chord opens the service view and
// unlocks the logo, whose double-click opens the full view; the data button
// closes the window down to the compact view or opens the data view. The
// port panel timer hides the port panel again a while after it was shown.

#include <memory>

#include "core/display.hpp"
#include "core/timer.hpp"

namespace qm5 {

enum class View {
    Compact, // the main area
    Data,    // and the data band
    Service, // and the addressing band
    Full,    // and the service band
};

// Outer window height of a view, in twips, title bar and borders included.
constexpr int outerHeight(View view)
{
    switch (view) {
    case View::Compact:
        return 5350;
    case View::Data:
        return 6645;
    case View::Service:
        return 7200;
    case View::Full:
        break;
    }
    return 9100;
}

// Modifier bits of a key press.
inline constexpr int shiftModifier = 1;
inline constexpr int ctrlModifier = 2;
inline constexpr int altModifier = 4;

// The service chord is Ctrl+K, with neither Shift nor Alt.
constexpr bool isServiceChord(int key, int modifiers)
{
    return key == 'K' && (modifiers & (shiftModifier | ctrlModifier | altModifier)) == ctrlModifier;
}

inline constexpr int portPanelMs = 5000;

class Views {
public:
    Views(Display& display, Clock& clock);

    // Centres the whole layout, then cuts the window to the compact view.
    void load();
    void keyPressed(int key, int modifiers);
    void serviceChord();
    void logoDoubleClicked();
    void dataButtonClicked();
    // Shows the port panel for its while; a second call restarts the while.
    void showPortPanel();

    bool serviceUnlocked() const { return serviceUnlocked_; }
    Timer& portPanelTimer() { return *portPanelTimer_; }

private:
    void show(View view);
    void portPanelTimeUp();

    Display& display_;
    std::unique_ptr<Timer> portPanelTimer_;
    // The window is created showing the whole layout.
    View view_ = View::Full;
    bool serviceUnlocked_ = false;
};

} // namespace qm5
