// The four views: the window shows more or less of its layout by its outer
// height alone. The service chord unlocks the logo double-click; Command34
// toggles between the compact view and the data view.
#include "core/form1.hpp"

namespace qm5 {

namespace {
constexpr std::string_view command34 = "Command34";
constexpr const char* showDataCaption = "データを表示する";
constexpr const char* hideDataCaption = "データを表示しない";
constexpr const char* closeCaption = "CLOSE";
// Command34 closes the window down from this outer height and above.
constexpr int command34Threshold = 6000;
constexpr int shiftMask = 1 | 2 | 4;
constexpr int ctrlOnly = 2;
} // namespace

void Form1::Form_KeyDown(int keyCode, int shift)
{
    if ((shift & shiftMask) != ctrlOnly || keyCode != 'K')
        return;
    display_.setWindowHeight(serviceHeight);
    ServiceUnlocked = 1;
    display_.setCaption(command34, closeCaption);
    display_.setVisible(command34, true);
}

void Form1::Image1_DblClick()
{
    if (ServiceUnlocked != 1)
        return;
    display_.setWindowHeight(fullHeight);
    display_.setCaption(command34, closeCaption);
    display_.setVisible(command34, true);
}

void Form1::Command34_Click()
{
    Timer3->stop();
    ServiceUnlocked = 0;
    if (display_.windowHeight() >= command34Threshold) {
        display_.setWindowHeight(compactHeight);
        display_.setCaption(command34, showDataCaption);
    } else {
        display_.setWindowHeight(dataHeight);
        display_.setCaption(command34, hideDataCaption);
    }
    // A full period from this click, even if the port panel opened earlier.
    Timer3->start();
}

void Form1::Timer3_Timer()
{
    display_.setVisible("Frame8", false);
    Timer3->stop();
}

} // namespace qm5
