#pragma once
// The panel's logic on a manual clock, a fake serial port and a fake display,
// loaded as at start-up; and the same logic wired to virtual projectors.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "layout/control_names.hpp"
#include "line.hpp"
#include "panel/control_panel.hpp"
#include "support/fakes.hpp"

namespace qm5::test {

namespace c = controls;

struct Logic {
    FakeDisplay display;
    FakeSerialControl serial;
    ManualClock clock;
    ControlPanel panel{display, serial, clock};

    explicit Logic(bool load = true)
    {
        if (load)
            panel.load();
        serial.writes.clear();
    }
    std::string shown(std::string_view control) const { return display.caption(control); }
    Exchange& exchange() { return panel.exchange(); }
    // A press and a release ms later.
    void hold(std::string_view control, int ms)
    {
        panel.pressed(control);
        clock.advance(ms);
        panel.released(control);
    }
};

// Every frame that goes out reaches the virtual projectors at once; their
// replies come back as the clock runs.
struct SimWire {
    sim::Line line;
    std::unique_ptr<Timer> pump;

    SimWire(FakeSerialControl& serial, ManualClock& clock, std::vector<int> addresses, sim::LineOptions options)
        : line(addresses, options)
        , pump(clock.timer(1, [this, &serial, &clock] {
            if (std::string due = line.takeDue(clock.now()); !due.empty())
                serial.receive(due);
        }))
    {
        serial.onWrite = [this, &clock](const std::string& frame) { line.receive(frame, clock.now()); };
        pump->start();
    }
};

struct SimLogic : Logic {
    SimWire wire;
    explicit SimLogic(sim::LineOptions options = {.replyDelayMs = 0, .timing = {0, 0}})
        : wire(serial, clock, {1}, options)
    { }
    sim::Projector& projector() { return *wire.line.projector(1); }
};

} // namespace qm5::test
