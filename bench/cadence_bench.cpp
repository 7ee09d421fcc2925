// Hold cadence: the periods between frames on the wire while a held button is
// down, against the interval the hold is meant to keep. The far end
// acknowledges every frame at once, as the projector does, so the panel's
// receive path runs during the hold as it would on a real line.

#include <QTest>

#include <cmath>
#include <cstring>

#include "benches.hpp"
#include "layout/control_names.hpp"
#include "support.hpp"

namespace qm5::bench {

namespace {

using controls::Name;

struct HoldCase {
    const char* label;
    Name button;
    const char* code;
    int intervalMs;
    // A short D.Zoom + press and release first, which leaves the arrows
    // repeating every 5 ms.
    bool afterDZoom = false;
    Name speed = controls::speed19200;
    Name address = controls::singleAddress; // no prefix
    // A tick comes before the line has carried the last frame and is
    // skipped: frames leave every other tick.
    bool paced = false;
};

// The arrow at start must come first: later holds change the repeat timer's interval.
constexpr HoldCase cases[] = {
    {"an arrow at start (↑)", controls::cursorUp, "C3C", 200},
    {"Zoom +", controls::zoomPlus, "C47", 50},
    {"Keystone +", controls::keystonePlus, "C8E", 250},
    {"SELECT", controls::cursorSelect, "C3F", 500},
    {"an arrow after a D.Zoom release (↑)", controls::cursorUp, "C3C", 5, true},
    {"the same at 9600 baud", controls::cursorUp, "C3C", 5, true, controls::speed9600},
    {"the same at 19200 baud under 001", controls::cursorUp, "A001C3C", 5, true, controls::speed19200,
        controls::address001},
    {"the same at 9600 baud under 001, paced by the line", controls::cursorUp, "A001C3C", 5, true, controls::speed9600,
        controls::address001, true},
};

} // namespace

int benchCadence()
{
    Rig rig([](const std::string&) { return FarEnd::Reply{"\x06", 0}; });
    const int holdMs = smoke() ? 300 : 2000;

    for (const HoldCase& c : cases) {
        rig.ui.panel().optionChosen(c.speed);
        rig.ui.panel().optionChosen(c.address);
        rig.rest();
        runLoopFor(50);
        if (c.afterDZoom) {
            QWidget& dzoom = rig.control(controls::digitalZoomPlus);
            QTest::mousePress(&dzoom, Qt::LeftButton);
            runLoopFor(100);
            QTest::mouseRelease(&dzoom, Qt::LeftButton);
            rig.rest();
            runLoopFor(50);
        }
        QWidget& button = rig.control(c.button);
        rig.far.clearFrames();
        // Half an interval past the last tick, so the count expected is not
        // decided by which of two timers due together fires first.
        const int holdFor = holdMs + (c.intervalMs + 1) / 2;
        const std::int64_t pressed = nowNs();
        QTest::mousePress(&button, Qt::LeftButton);
        runLoopForExactly(holdFor);
        QTest::mouseRelease(&button, Qt::LeftButton);
        const std::int64_t released = nowNs();
        runLoopFor(100);

        const std::vector<FarEnd::Frame> frames = rig.far.frames();
        for (const auto& f : frames) {
            if (f.text != c.code)
                throw SetupError{std::string("the far end read \"") + f.text + "\" during a hold of " + c.label};
        }
        if (frames.size() < 2)
            throw SetupError{std::string("the hold of ") + c.label + " sent fewer than two frames"};
        std::vector<double> periods;
        for (std::size_t i = 1; i < frames.size(); ++i)
            periods.push_back(toMs(frames[i].atNs - frames[i - 1].atNs));
        const Stats s = summarise(periods);
        const int periodMs = c.paced ? 2 * c.intervalMs : c.intervalMs;
        const auto expected = 1 + static_cast<long>(toMs(released - pressed) / periodMs);
        const long got = static_cast<long>(frames.size());
        const long lost = std::max(0L, expected - got);
        const double drift = 100.0 * (s.mean - periodMs) / periodMs;
        const double frameMs =
            10.0 * (std::strlen(c.code) + 1) * 1000.0 / (c.speed == controls::speed9600 ? 9600 : 19200);

        if (c.paced) {
            // What the line could have carried in the hold, one frame after another.
            const double capacity = toMs(released - pressed) / frameMs + 1;
            row(fmt("Hold cadence: %s, %d ms", c.label, c.intervalMs),
                fmt("mean %.3f ms, p99 %.2f ms; %ld frames", s.mean, s.p99, got),
                fmt("%.2f ms a frame on the wire: %.0f frames", frameMs, capacity),
                fmt("mean %+.2f %% of %d ms; %.0f %% of the line", drift, periodMs, 100.0 * got / capacity),
                "every other tick, never more than the line carries", std::fabs(drift) <= 1.0 && got <= capacity);
        } else {
            row(fmt("Hold cadence: %s, %d ms", c.label, c.intervalMs),
                fmt("mean %.3f ms, p99 %.2f ms, max %.2f ms; %ld of %ld frames", s.mean, s.p99, s.max, got, expected),
                fmt("%d ms", c.intervalMs), fmt("mean %+.2f %%, %ld lost", drift, lost),
                "mean within 1 %, no tick lost", std::fabs(drift) <= 1.0 && lost == 0);
        }
    }
    rig.ui.panel().optionChosen(controls::speed19200);
    rig.ui.panel().optionChosen(controls::singleAddress);
    rig.rest();
    return 0;
}

} // namespace qm5::bench
