// Start-up, the exchange routine, the receive path, the reply-window and
// display-clear timers, the link options and END.

#include <algorithm>

#include "core/form1.hpp"
#include "decode/decode_reply.hpp"
#include "link/link_options.hpp"
#include "link/transcript.hpp"

namespace qm5 {

namespace {
constexpr char CR = '\r';
constexpr std::uint8_t kindSend = 1;
} // namespace

Form1::Form1(Display& display, SerialControl& comm, TimerFactory& timers)
    : display_(display)
    , MSComm1(comm)
    , clock_(timers)
    , Timer1(timers.createTimer())
    , Timer2(timers.createTimer())
    , Timer3(timers.createTimer())
    , Timer4(timers.createTimer())
{
    Timer1->setInterval(200);
    Timer2->setInterval(500);
    Timer3->setInterval(5000);
    Timer4->setInterval(1000);
    Timer1->setTickHandler([this] { Timer1_Timer(); });
    Timer2->setTickHandler([this] { Timer2_Timer(); });
    Timer3->setTickHandler([this] { Timer3_Timer(); });
    Timer4->setTickHandler([this] { Timer4_Timer(); });
    MSComm1.setOnComm([this] { MSComm1_OnComm(); });
}

Form1::~Form1()
{
    MSComm1.setOnComm({});
}

void Form1::Form_Load()
{
    CommSettings = std::string(startSettings);
    TargetPrefix.clear();

    // Centre the full layout; the halves are single precision and unrounded,
    // and the top stays where the full-height window's would be.
    const float left = static_cast<float>(display_.screenWidth() - display_.windowWidth()) / 2.0f;
    display_.setWindowLeft(left);
    const float top = static_cast<float>(display_.screenHeight() - display_.windowHeight()) / 2.0f;
    display_.setWindowTop(top);
    display_.setWindowHeight(compactHeight);

    RepeatCode = 0;
    AwaitingReply = 0;
    clearRxBuffer();

    MSComm1.setCommPort(1);
    MSComm1.setSettings(CommSettings);
    // A missing port 1 is reported once; the panel carries on with the port
    // closed and tries again at the next send.
    if (SerialError err = MSComm1.setPortOpen(true))
        display_.showWarning(*err);

    display_.selectOption("Option1");
    Option1_Click();
}

void Form1::sendCommand(std::string_view code)
{
    LastCommand = TargetPrefix;
    LastCommand += code;
    LastCommand += CR;
    Hyouji(LastCommand, kindSend);
}

void Form1::Hyouji(const std::string& text, std::uint8_t kind)
{
    if (kind == kindSend) {
        // A port that was lost or never opened gets one quiet try per send;
        // if it stays closed nothing goes out, and the missing-reply mark
        // tells the user.
        if (!MSComm1.portOpen())
            MSComm1.setPortOpen(true);
        if (MSComm1.portOpen() && !MSComm1.output(text)) {
            lastWriteUs_ = clock_.nowUs();
            lastWriteBytes_ = text.size();
        }
        display_.setCaption("Label11", RenderTranscript(text));
        Timer2->start();
        AwaitingReply = 1;
        Timer4->start();
        return;
    }

    const std::string& transcript = &text == &RxBuffer ? rxTranscript() : RenderTranscript(text);
    display_.setCaption("Label12", transcript);
    if (auto status = DecodeReply(transcript, LastCommand, TargetPrefix))
        display_.setCaption("Label22", *status);
}

const std::string& Form1::rxTranscript()
{
    // RxBuffer only grows until it is cleared, so only the new characters
    // need rendering.
    if (rxRendered_ < RxBuffer.size()) {
        std::string_view fresh(RxBuffer);
        fresh.remove_prefix(rxRendered_);
        rxTranscript_ += RenderTranscript(fresh).substr(1);
        rxRendered_ = RxBuffer.size();
    }
    return rxTranscript_;
}

bool Form1::lineIsFree() const
{
    if (MSComm1.unsentBytes() > 0)
        return false;
    const std::int64_t onWireUs = FrameTimeUs(lastWriteBytes_, CommSettings);
    // A frame that fits into one repeat interval never holds a tick back:
    // the line keeps up on average, and a tick that comes a little early
    // after a late one must not cost the hold its cadence.
    if (onWireUs <= std::int64_t{Timer1->interval()} * 1000)
        return true;
    return clock_.nowUs() - lastWriteUs_ >= onWireUs;
}

void Form1::clearRxBuffer()
{
    RxBuffer.clear();
    rxTranscript_ = " ";
    rxRendered_ = 0;
}

void Form1::MSComm1_OnComm()
{
    if (MSComm1.commEvent() != comEvReceive)
        return;
    const std::string received = MSComm1.input();
    // A chatty line with nobody sending must not grow the buffer for ever.
    const std::size_t room = rxBufferCap - std::min(RxBuffer.size(), rxBufferCap);
    RxBuffer.append(received, 0, std::min(room, received.size()));
    AwaitingReply = 0;
    Hyouji(RxBuffer, 2);
}

void Form1::Timer2_Timer()
{
    if (AwaitingReply == 1)
        display_.setCaption("Label12", " X X X X");
    Timer2->stop();
    clearRxBuffer();
    AwaitingReply = 0;
}

void Form1::Timer4_Timer()
{
    display_.setCaption("Label11", "");
    display_.setCaption("Label12", "");
    display_.setCaption("Label22", "");
    Timer4->stop();
}

void Form1::selectPort(int chosen, int fallback)
{
    bool wasOpen = false;
    SerialError err;
    if (MSComm1.portOpen()) {
        wasOpen = true;
        err = MSComm1.setPortOpen(false);
    }
    if (!err)
        err = MSComm1.setCommPort(chosen);
    if (!err && wasOpen)
        err = MSComm1.setPortOpen(true);
    if (err) {
        display_.showWarning(*err);
        MSComm1.setCommPort(fallback);
        // The checked option names the port in use, not the one that failed.
        for (const auto& p : portOptions) {
            if (p.port == MSComm1.commPort())
                display_.selectOption(p.control);
        }
        return;
    }
    display_.setVisible("Frame8", false);
}

void Form1::Option1_Click()
{
    selectPort(portOptions[0].port, portOptions[0].fallback);
}

void Form1::Option2_Click()
{
    selectPort(portOptions[1].port, portOptions[1].fallback);
}

bool Form1::Option_Click(std::string_view option)
{
    for (const auto& p : portOptions) {
        if (p.control == option) {
            selectPort(p.port, p.fallback);
            return true;
        }
    }
    for (const auto& a : addressOptions) {
        if (a.control == option) {
            TargetPrefix = std::string(a.prefix);
            return true;
        }
    }
    for (const auto& s : speedOptions) {
        if (s.control == option) {
            CommSettings = std::string(s.settings);
            MSComm1.setSettings(CommSettings);
            display_.setVisible("Frame8", false);
            return true;
        }
    }
    return false;
}

void Form1::Command16_Click()
{
    MSComm1.setPortOpen(false);
    // Nothing may fire once END has been pressed, a hold included.
    RepeatCode = 0;
    Timer1->stop();
    Timer2->stop();
    Timer3->stop();
    Timer4->stop();
    display_.endProgram();
}

} // namespace qm5
