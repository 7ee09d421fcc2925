// The window logic's receive path under arbitrary events: replies in pieces
// (a flooding line included), buttons, the clock, option and port changes. One
// byte picks the event, the next give its arguments; missing bytes read as 0.

#include <algorithm>
#include <string>

#include "core/form1.hpp"
#include "decode/decode_reply.hpp"
#include "fuzz_check.hpp"
#include "link/link_options.hpp"
#include "link/transcript.hpp"
#include "panel/command_catalogue.hpp"
#include "panel/repeat_table.hpp"
#include "support/fake_display.hpp"
#include "support/fake_serial_control.hpp"
#include "support/manual_clock.hpp"

namespace {

using qm5::fuzz::require;

constexpr std::string_view kStatusQueries[] = {"Command44", "Command45", "Command47", "Command12", "Command55",
    "Command46", "Command54", "Command38", "Command99", "Command52"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qm5::test::FakeDisplay display;
    qm5::test::FakeSerialControl comm;
    qm5::test::ManualClock clock;
    qm5::Form1 form{display, comm, clock};
    form.Form_Load();
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
        const std::string rx = form.rxBuffer() + piece;
        const std::string status = display.caption("Label22");
        comm.receive(piece);
        require(form.rxBuffer() == rx.substr(0, qm5::Form1::rxBufferCap));
        const std::string transcript = qm5::RenderTranscript(form.rxBuffer());
        require(display.caption("Label12") == transcript);
        const auto decoded = qm5::DecodeReply(transcript, form.lastCommand(), form.targetPrefix());
        require(display.caption("Label22") == decoded.value_or(status));
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
            require(form.Command_Click(pick(qm5::oneShotButtons).control));
            break;
        case 2:
            require(form.Command_Click(pick(kStatusQueries)));
            break;
        case 3:
            clock.advance(next() * 16 + next() % 16);
            break; // up to about 4 s
        case 4:
            clock.fireNext();
            break;
        case 5:
            require(form.Option_Click(pick(qm5::addressOptions).control));
            break;
        case 6:
            require(form.Command_MouseDown(pick(qm5::heldButtons).control));
            break;
        case 7:
            form.Command_MouseUp(pick(qm5::heldButtons).control);
            break;
        case 8: // free text, sent as typed
            display.setText("Text1", take(next() % 32));
            form.Command95_Click();
            break;
        case 9: { // a serial event; only a receive event carries data
            const int code = next() % 8;
            code == qm5::comEvReceive ? receive("") : comm.raiseEvent(code);
            break;
        }
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
                form.Option1_Click();
                break;
            case 1:
                form.Option2_Click();
                break;
            case 2:
                form.Option_Click(pick(qm5::speedOptions).control);
                break;
            case 3:
                form.Command33_Click();
                break;
            case 4:
                form.Command96_Click();
                break;
            case 5: { // a port goes missing or comes back
                const int port = 1 + next() % 2;
                if (comm.failingPorts.erase(port) == 0)
                    comm.failingPorts.emplace(port, "Port not found");
                break;
            }
            case 6:
                comm.setPortOpen(false);
                break; // the adapter was pulled
            case 7:
                form.Command16_Click();
                return 0; // END: the program stops here
            }
            break;
        }
        require(form.rxBuffer().size() <= qm5::Form1::rxBufferCap);
    }
    return 0;
}
