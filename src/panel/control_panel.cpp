#include "panel/control_panel.hpp"

#include <array>

#include "layout/control_names.hpp"
#include "layout/layout_table.hpp"
#include "panel/command_catalogue.hpp"
#include "panel/link_options.hpp"
#include "panel/repeat_table.hpp"

namespace qm5 {

namespace {

// The buttons that neither send one fixed frame nor repeat.
struct OwnHandler {
    std::string_view control;
    void (ControlPanel::*handler)();
};
constexpr std::array<OwnHandler, 5> ownHandlers{{
    {controls::endButton, &ControlPanel::endClicked},
    {controls::sendButton, &ControlPanel::sendClicked},
    {controls::clearTextButton, &ControlPanel::clearTextClicked},
    {controls::comButton, &ControlPanel::comClicked},
    {controls::dataButton, &ControlPanel::dataButtonClicked},
}};

template <class Table> constexpr bool allLaidOut(const Table& table, ControlKind kind)
{
    for (const auto& row : table) {
        if (!isControl(row.control, kind))
            return false;
    }
    return true;
}
static_assert(allLaidOut(ownHandlers, ControlKind::Button));
static_assert(allLaidOut(oneShotButtons, ControlKind::Button));
static_assert(allLaidOut(heldButtons, ControlKind::Button));
static_assert(allLaidOut(addressOptions, ControlKind::Option));
static_assert(allLaidOut(speedOptions, ControlKind::Option));
static_assert(allLaidOut(portOptions, ControlKind::Option));

} // namespace

ControlPanel::ControlPanel(Display& display, SerialControl& serial, Clock& clock)
    : display_(display)
    , serial_(serial)
    , exchange_(display, serial, clock)
    , holds_(exchange_, clock)
    , views_(display, clock)
{ }

void ControlPanel::load()
{
    exchange_.reset();
    views_.load();
    holds_.stop();
    serial_.setPortNumber(portOptions[0].port);
    serial_.setLineSettings(exchange_.lineSettings());
    // A missing port 1 is reported once; the panel carries on with the port
    // closed and tries again at the next send.
    if (SerialError error = serial_.open())
        display_.showWarning(*error);
    display_.checkOption(portOptions[0].control);
    optionChosen(portOptions[0].control);
}

bool ControlPanel::clicked(std::string_view control)
{
    if (const OwnHandler* own = findRow(ownHandlers, &OwnHandler::control, control)) {
        (this->*own->handler)();
        return true;
    }
    if (!findOneShotButton(control))
        return false;
    oneShotClicked(control);
    return true;
}

void ControlPanel::oneShotClicked(std::string_view control)
{
    const OneShotButton& button = *findOneShotButton(control);
    if (button.replyTimes)
        exchange_.setReplyTimes(*button.replyTimes);
    exchange_.send(button.code);
    if (button.armsMenuArrows)
        holds_.prepareMenuArrows();
}

bool ControlPanel::pressed(std::string_view control)
{
    return holds_.press(control);
}

bool ControlPanel::released(std::string_view control)
{
    return holds_.release(control);
}

void ControlPanel::sendClicked()
{
    exchange_.setReplyTimes(longReplyTimes);
    // Sent as typed: no trimming, no case change, an empty line included.
    exchange_.send(display_.text(controls::commandText));
}

void ControlPanel::clearTextClicked()
{
    display_.setText(controls::commandText, "");
}

bool ControlPanel::optionChosen(std::string_view option)
{
    if (const PortOption* p = findRow(portOptions, &PortOption::control, option)) {
        selectPort(p->port, p->fallback);
        return true;
    }
    if (const AddressOption* a = findRow(addressOptions, &AddressOption::control, option)) {
        exchange_.setAddressPrefix(a->prefix);
        return true;
    }
    if (const SpeedOption* s = findRow(speedOptions, &SpeedOption::control, option)) {
        exchange_.setLineSettings(s->settings);
        display_.setVisible(controls::portPanel, false);
        return true;
    }
    return false;
}

void ControlPanel::selectPort(int chosen, int fallback)
{
    const bool wasOpen = serial_.isOpen();
    serial_.close();
    SerialError error = serial_.setPortNumber(chosen);
    if (!error && wasOpen)
        error = serial_.open();
    if (error) {
        display_.showWarning(*error);
        serial_.setPortNumber(fallback);
        // The checked option names the port in use, not the one that failed.
        if (const PortOption* inUse = findRow(portOptions, &PortOption::port, serial_.portNumber()))
            display_.checkOption(inUse->control);
        return;
    }
    display_.setVisible(controls::portPanel, false);
}

void ControlPanel::endClicked()
{
    serial_.close();
    // Nothing may fire once END has been pressed, a hold included.
    holds_.stop();
    exchange_.replyTimer().stop();
    exchange_.clearTimer().stop();
    views_.portPanelTimer().stop();
    display_.endProgram();
}

} // namespace qm5
