// The window logic's receive path under arbitrary events: replies in pieces
// (a flooding line included), buttons, the clock, option and port changes. One
// byte picks the event, the next give its arguments; missing bytes read as 0.

#include <algorithm>
#include <string>

#include "fuzz_check.hpp"
#include "layout/control_names.hpp"
#include "panel/command_catalogue.hpp"
#include "panel/control_panel.hpp"
#include "panel/link_options.hpp"
#include "panel/repeat_table.hpp"
#include "protocol/decode_reply.hpp"
#include "protocol/transcript.hpp"
#include "support/fakes.hpp"

namespace {

using qm5::fuzz::require;

namespace c = qm5::controls;
constexpr std::string_view statusQueries[] = {c::statusQuery, c::modeQuery, c::orientationQuery, c::muteQuery,
    c::lampModeQuery, c::lampTimeQuery, c::temperatureQuery, c::pcTypeQuery, c::pressureQuery, c::powerFailQuery};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qm5::test::FakeDisplay display;
    qm5::test::FakeSerialControl serial;
    qm5::test::ManualClock clock;
    qm5::ControlPanel panel{display, serial, clock};
    panel.load();
    qm5::Exchange& exchange = panel.exchange();
    std::size_t at = 0;
    const auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
    const auto take = [&](std::size_t count) {
        const std::string out(qm5::fuzz::text(data + at, std::min(count, size - at)));
        at += out.size();
        return out;
    };
    int floods = 0; // flooding receives are costly to check; a few per input

    // A receive event: the buffer gains what came, up to its cap; the
    // transcript line shows the buffer, the status line its decoding or what
    // it showed before.
    const auto receive = [&](const std::string& piece) {
        const std::string rx = exchange.receiveBuffer() + piece;
        const std::string status = display.caption(c::statusLine);
        serial.receive(piece);
        require(exchange.receiveBuffer() == rx.substr(0, qm5::Exchange::receiveBufferCap));
        const std::string transcript = qm5::renderTranscript(exchange.receiveBuffer());
        require(display.caption(c::rxdLine) == transcript);
        const auto decoded = qm5::decodeReply(transcript, exchange.lastFrame(), exchange.addressPrefix());
        require(display.caption(c::statusLine) == decoded.value_or(status));
    };
    const auto pick = [&](const auto& of) -> const auto&
    {
        return of[next() % std::size(of)];
    };

    while (at < size) {
        switch (next() % 12) {
        case 0:
            receive(take(next()));
            break; // a piece of reply
        case 1:
            require(panel.clicked(pick(qm5::oneShotButtons).control));
            break;
        case 2:
            require(panel.clicked(pick(statusQueries)));
            break;
        case 3:
            clock.advance(next() * 16 + next() % 16);
            break; // up to about 4 s
        case 4:
            clock.fireNext();
            break;
        case 5:
            require(panel.optionChosen(pick(qm5::addressOptions).control));
            break;
        case 6:
            require(panel.pressed(pick(qm5::heldButtons).control));
            break;
        case 7:
            panel.released(pick(qm5::heldButtons).control);
            break;
        case 8: // free text, sent as typed
            display.setText(c::commandText, take(next() % 32));
            panel.sendClicked();
            break;
        case 9: // a receive event with nothing to read
            receive("");
            break;
        case 10: { // a flooding line: up to 64 KiB of one pattern in one event
            const std::size_t count = (next() + 1) * 256;
            const std::string pattern = take(1 + next() % 4);
            std::string piece;
            while (!pattern.empty() && piece.size() < count)
                piece += pattern;
            if (++floods <= 6 && !piece.empty())
                receive(piece);
            break;
        }
        case 11: // port panel and the port itself
            switch (next() % 8) {
            case 0:
                panel.optionChosen(c::com1);
                break;
            case 1:
                panel.optionChosen(c::com2);
                break;
            case 2:
                panel.optionChosen(pick(qm5::speedOptions).control);
                break;
            case 3:
                panel.comClicked();
                break;
            case 4:
                panel.clearTextClicked();
                break;
            case 5: { // a port goes missing or comes back
                const int port = 1 + next() % 2;
                if (serial.failingPorts.erase(port) == 0)
                    serial.failingPorts.emplace(port, "Port not found");
                break;
            }
            case 6:
                serial.close();
                break; // the adapter was pulled
            case 7:
                panel.endClicked();
                return 0; // END: the program stops here
            }
            break;
        }
        require(exchange.receiveBuffer().size() <= qm5::Exchange::receiveBufferCap);
    }
    return 0;
}
