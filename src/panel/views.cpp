#include "panel/views.hpp"

#include "layout/control_names.hpp"
#include "layout/layout_table.hpp"

namespace qm5 {

namespace {
// The data button's caption in the layout: "show the data".
constexpr std::string_view showDataCaption = captionOf(controls::dataButton);
constexpr const char* hideDataCaption = "データを表示しない"; // "do not show the data"
constexpr const char* closeCaption = "CLOSE";
// The data button closes the window down from this outer height and above.
constexpr int closeDownFrom = 6000;
} // namespace

Views::Views(Display& display, Clock& clock)
    : display_(display)
    , portPanelTimer_(clock.timer(portPanelMs, [this] { portPanelTimeUp(); }))
{ }

void Views::load()
{
    // Centred for the whole layout; the halves are single precision and
    // unrounded, and the top stays where the full-height window's would be.
    const float left = static_cast<float>(display_.screenWidth() - display_.windowWidth()) / 2.0f;
    display_.setWindowLeft(left);
    const float top = static_cast<float>(display_.screenHeight() - display_.windowHeight()) / 2.0f;
    display_.setWindowTop(top);
    show(View::Compact);
}

void Views::show(View view)
{
    view_ = view;
    display_.setWindowHeight(outerHeight(view));
}

void Views::keyPressed(int key, int modifiers)
{
    if (isServiceChord(key, modifiers))
        serviceChord();
}

void Views::serviceChord()
{
    show(View::Service);
    serviceUnlocked_ = true;
    display_.setCaption(controls::dataButton, closeCaption);
    display_.setVisible(controls::dataButton, true);
}

void Views::logoDoubleClicked()
{
    if (!serviceUnlocked_)
        return;
    show(View::Full);
    display_.setCaption(controls::dataButton, closeCaption);
    display_.setVisible(controls::dataButton, true);
}

void Views::dataButtonClicked()
{
    portPanelTimer_->stop();
    serviceUnlocked_ = false;
    if (outerHeight(view_) >= closeDownFrom) {
        show(View::Compact);
        display_.setCaption(controls::dataButton, std::string(showDataCaption));
    } else {
        show(View::Data);
        display_.setCaption(controls::dataButton, hideDataCaption);
    }
    // A full while from this click, even if the port panel opened earlier.
    portPanelTimer_->start();
}

void Views::showPortPanel()
{
    display_.setVisible(controls::portPanel, true);
    portPanelTimer_->start();
}

void Views::portPanelTimeUp()
{
    display_.setVisible(controls::portPanel, false);
    portPanelTimer_->stop();
}

} // namespace qm5
