// The window logic's receive path under an arbitrary sequence of events:
// received bytes in pieces of any size (a flooding line included), sends from
// every kind of button, held buttons, the clock running, address, speed and
// port changes, and lost ports. After every event the buffer, the transcript
// line and the status line must be what the receive rules make of them.
//
// The input is read front to back as operations: one byte picks the event,
// the next bytes give its arguments; missing bytes read as 0.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/form1.hpp"
#include "decode/decode_reply.hpp"
#include "link/link_options.hpp"
#include "link/transcript.hpp"
#include "panel/command_catalogue.hpp"
#include "panel/repeat_table.hpp"
#include "support/fake_display.hpp"
#include "support/fake_serial_control.hpp"
#include "support/manual_clock.hpp"

namespace {

using qm5::Form1;

void require(bool ok)
{
    if (!ok)
        std::abort();
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool done() const { return at_ >= size_; }
    std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }
    std::string take(std::size_t count)
    {
        const std::size_t n = std::min(count, size_ - at_);
        std::string out(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

constexpr std::string_view kStatusQueries[] = {
    "Command44", "Command45", "Command47", "Command12", "Command55",
    "Command46", "Command54", "Command38", "Command99", "Command52",
};

// Flooding receives are costly to check; a few per input find what they can.
constexpr int kMaxFloods = 6;

struct Harness {
    qm5::test::FakeDisplay display;
    qm5::test::FakeSerialControl comm;
    qm5::test::ManualClock clock;
    Form1 form{display, comm, clock};

    struct Snapshot {
        std::string rx, label11, label12, label22, lastCommand, prefix;
        std::size_t writes;
        std::uint8_t awaiting, repeatCode;
        bool timer1, timer2, timer3, timer4;
    };

    Snapshot snap()
    {
        return {form.rxBuffer(),        display.caption("Label11"), display.caption("Label12"),
                display.caption("Label22"), form.lastCommand(),  form.targetPrefix(),
                comm.writes.size(),     form.awaitingReply(),    form.repeatCode(),
                form.timer1().isActive(), form.timer2().isActive(), form.timer3().isActive(),
                form.timer4().isActive()};
    }

    void checkAlways()
    {
        require(form.rxBuffer().size() <= Form1::rxBufferCap);
        require(form.awaitingReply() <= 1);
        require(form.lastCommand().empty() || form.lastCommand().back() == '\r');
    }

    // One receive event carrying `piece` (possibly nothing).
    void receive(const std::string& piece)
    {
        const Snapshot before = snap();
        comm.receive(piece);
        checkReceived(before, piece);
    }

    void checkReceived(const Snapshot& before, const std::string& piece)
    {
        const std::size_t room = Form1::rxBufferCap - before.rx.size();
        require(form.rxBuffer().size() == before.rx.size() + std::min(room, piece.size()));
        require(form.rxBuffer().compare(0, before.rx.size(), before.rx) == 0);
        require(form.rxBuffer().compare(before.rx.size(), std::string::npos, piece, 0,
                                        std::min(room, piece.size())) == 0);
        require(form.awaitingReply() == 0);

        const std::string transcript = qm5::RenderTranscript(form.rxBuffer());
        require(display.caption("Label12") == transcript);
        const auto status = qm5::DecodeReply(transcript, form.lastCommand(), form.targetPrefix());
        require(display.caption("Label22") == (status ? *status : before.label22));

        require(display.caption("Label11") == before.label11);
        require(form.lastCommand() == before.lastCommand);
        require(comm.writes.size() == before.writes);
    }

    // After a send of `code` under the prefix in force.
    void checkSent(const Snapshot& before, std::string_view code)
    {
        std::string frame = form.targetPrefix();
        frame += code;
        frame += '\r';
        require(form.lastCommand() == frame);
        require(display.caption("Label11") == qm5::RenderTranscript(frame));
        require(form.awaitingReply() == 1);
        require(form.timer2().isActive() && form.timer4().isActive());
        if (comm.portOpen()) {
            require(comm.writes.size() == before.writes + 1 && comm.writes.back() == frame);
        } else {
            require(comm.writes.size() == before.writes);
        }
        // A send leaves what was received alone.
        require(form.rxBuffer() == before.rx);
        require(display.caption("Label12") == before.label12);
        require(display.caption("Label22") == before.label22);
    }

    void checkUntouched(const Snapshot& before)
    {
        require(form.rxBuffer() == before.rx);
        require(display.caption("Label11") == before.label11);
        require(display.caption("Label12") == before.label12);
        require(display.caption("Label22") == before.label22);
        require(form.lastCommand() == before.lastCommand);
        require(comm.writes.size() == before.writes);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Harness h;
    h.form.Form_Load();
    h.checkAlways();
    Input in(data, size);
    int floods = 0;

    while (!in.done()) {
        const Harness::Snapshot before = h.snap();
        switch (in.next() % 12) {
        case 0: { // a piece of reply
            const std::size_t length = in.next();
            h.receive(in.take(length));
            break;
        }
        case 1: { // any one-shot button
            const auto& button = qm5::oneShotButtons[in.next() % qm5::oneShotButtons.size()];
            require(h.form.Command_Click(button.control));
            h.checkSent(before, button.code);
            break;
        }
        case 2: { // a status query
            const std::string_view control = kStatusQueries[in.next() % std::size(kStatusQueries)];
            require(h.form.Command_Click(control));
            h.checkSent(before, qm5::findOneShotButton(control)->code);
            break;
        }
        case 3: { // time passes: up to about four seconds
            const std::int64_t ms = in.next() * 16 + in.next() % 16;
            h.clock.advance(ms);
            // Nothing arrives while the clock runs: the buffer stays or is emptied.
            require(h.form.rxBuffer().empty() || h.form.rxBuffer() == before.rx);
            const std::string label12 = h.display.caption("Label12");
            require(label12 == before.label12 || label12.empty() || label12 == " X X X X");
            const std::string label11 = h.display.caption("Label11");
            require(label11 == before.label11 || label11.empty()
                    || label11 == qm5::RenderTranscript(h.form.lastCommand()));
            break;
        }
        case 4: { // the next timer falls due; which one shows in what it stopped
            if (!h.clock.fireNext()) {
                require(!before.timer1 && !before.timer2 && !before.timer3 && !before.timer4);
                h.checkUntouched(before);
                break;
            }
            if (before.timer2 && !h.form.timer2().isActive()) {
                // End of the reply window: the mark only when nothing came.
                require(h.form.rxBuffer().empty() && h.form.awaitingReply() == 0);
                require(h.display.caption("Label12")
                        == (before.awaiting == 1 ? std::string(" X X X X") : before.label12));
                require(h.display.caption("Label11") == before.label11);
                require(h.display.caption("Label22") == before.label22);
            } else if (before.timer4 && !h.form.timer4().isActive()) {
                require(h.display.caption("Label11").empty() && h.display.caption("Label12").empty()
                        && h.display.caption("Label22").empty());
                require(h.form.rxBuffer() == before.rx);
            } else if (before.timer3 && !h.form.timer3().isActive()) {
                require(!h.display.isVisible("Frame8"));
                h.checkUntouched(before);
            } else {
                // A repeat tick of a held button sends its code again.
                require(before.timer1);
                if (before.repeatCode != 0)
                    h.checkSent(before, qm5::findHeldButtonByRepeatCode(before.repeatCode)->code);
                else
                    h.checkUntouched(before);
            }
            break;
        }
        case 5: { // address option
            const auto& option = qm5::addressOptions[in.next() % qm5::addressOptions.size()];
            require(h.form.Option_Click(option.control));
            require(h.form.targetPrefix() == option.prefix);
            h.checkUntouched(before);
            break;
        }
        case 6: { // press of a held button
            const auto& button = qm5::heldButtons[in.next() % qm5::heldButtons.size()];
            require(h.form.Command_MouseDown(button.control));
            h.checkSent(before, button.code);
            require(h.form.timer1().isActive());
            break;
        }
        case 7: { // release of a held button
            const auto& button = qm5::heldButtons[in.next() % qm5::heldButtons.size()];
            require(h.form.Command_MouseUp(button.control));
            require(h.form.rxBuffer().empty());
            require(h.display.caption("Label11").empty() && h.display.caption("Label12").empty());
            require(h.form.repeatCode() == 0 && !h.form.timer1().isActive());
            require(!h.form.timer2().isActive() && h.form.timer4().isActive());
            break;
        }
        case 8: { // free text, sent as typed
            const std::string typed = in.take(in.next() % 32);
            h.display.setText("Text1", typed);
            h.form.Command95_Click();
            h.checkSent(before, typed);
            break;
        }
        case 9: { // a serial event; only code 2 carries received data
            const int code = in.next() % 8;
            h.comm.raiseEvent(code);
            if (code == qm5::comEvReceive)
                h.checkReceived(before, "");
            else
                h.checkUntouched(before);
            break;
        }
        case 10: { // a flooding line: up to 64 KiB of one pattern in one event
            const std::size_t count = (in.next() + 1) * 256;
            const std::string pattern = in.take(1 + in.next() % 4);
            if (++floods > kMaxFloods || pattern.empty())
                break;
            std::string piece;
            piece.reserve(count);
            while (piece.size() < count)
                piece += pattern;
            h.receive(piece);
            break;
        }
        case 11: { // port panel and the port itself
            switch (in.next() % 8) {
            case 0:
                h.form.Option1_Click();
                break;
            case 1:
                h.form.Option2_Click();
                break;
            case 2: {
                const auto& option = qm5::speedOptions[in.next() % qm5::speedOptions.size()];
                require(h.form.Option_Click(option.control));
                require(h.form.commSettings() == option.settings);
                break;
            }
            case 3:
                h.form.Command33_Click();
                break;
            case 4:
                h.form.Command96_Click();
                break;
            case 5: { // a port goes missing or comes back
                const int port = 1 + in.next() % 2;
                if (h.comm.failingPorts.erase(port) == 0)
                    h.comm.failingPorts.emplace(port, "Port not found");
                break;
            }
            case 6: // the adapter was pulled
                h.comm.setPortOpen(false);
                break;
            case 7: // END: the program stops here
                h.form.Command16_Click();
                require(h.display.ended && !h.comm.portOpen());
                require(!h.form.timer1().isActive() && !h.form.timer2().isActive()
                        && !h.form.timer3().isActive() && !h.form.timer4().isActive());
                return 0;
            }
            h.checkUntouched(before);
            break;
        }
        }
        h.checkAlways();
    }
    return 0;
}
