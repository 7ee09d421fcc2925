#include "link/exchange.hpp"

#include <algorithm>

#include "layout/control_names.hpp"
#include "protocol/decode_reply.hpp"
#include "protocol/frame.hpp"
#include "protocol/line_settings.hpp"
#include "protocol/transcript.hpp"

namespace qm5 {

Exchange::Exchange(Display& display, SerialControl& serial, Clock& clock)
    : display_(display)
    , serial_(serial)
    , clock_(clock)
    , replyTimer_(clock.timer(startReplyTimes.replyWindowMs, [this] { replyWindowEnded(); }))
    , clearTimer_(clock.timer(startReplyTimes.displayClearMs, [this] { clearDisplay(); }))
    , lineSettings_(startSettings)
{
    serial_.setReceiveHandler([this] { onReceived(); });
}

Exchange::~Exchange()
{
    serial_.setReceiveHandler({});
}

void Exchange::reset()
{
    lineSettings_ = startSettings;
    addressPrefix_.clear();
    awaitingReply_ = false;
    clearReceiveBuffer();
}

void Exchange::setLineSettings(std::string_view settings)
{
    lineSettings_ = settings;
    serial_.setLineSettings(lineSettings_);
}

void Exchange::setReplyTimes(ReplyTimes times)
{
    replyTimer_->setInterval(times.replyWindowMs);
    clearTimer_->setInterval(times.displayClearMs);
}

void Exchange::send(std::string_view command)
{
    lastFrame_ = buildFrame(addressPrefix_, command);
    // A port that was lost or never opened gets one quiet try per send; if
    // it stays closed nothing goes out, and the missing-reply mark tells.
    if (!serial_.isOpen())
        serial_.open();
    if (serial_.isOpen() && !serial_.write(lastFrame_)) {
        lastWriteUs_ = clock_.nowUs();
        lastWriteBytes_ = lastFrame_.size();
    }
    showSent();
    replyTimer_->start();
    awaitingReply_ = true;
    clearTimer_->start();
}

void Exchange::showSent()
{
    display_.setCaption(controls::txdLine, renderTranscript(lastFrame_));
}

void Exchange::onReceived()
{
    const std::string received = serial_.readAll();
    // A chatty line with nobody sending must not grow the buffer for ever.
    const std::size_t room = receiveBufferCap - std::min(receiveBuffer_.size(), receiveBufferCap);
    receiveBuffer_.append(received, 0, std::min(room, received.size()));
    awaitingReply_ = false;
    showReceived();
}

void Exchange::showReceived()
{
    // The buffer only grows until it is cleared, so only the new characters
    // need rendering.
    if (renderedBytes_ < receiveBuffer_.size()) {
        receivedTranscript_ += renderTranscript(std::string_view(receiveBuffer_).substr(renderedBytes_)).substr(1);
        renderedBytes_ = receiveBuffer_.size();
    }
    display_.setCaption(controls::rxdLine, receivedTranscript_);
    if (auto status = decodeReply(receivedTranscript_, lastFrame_, addressPrefix_))
        display_.setCaption(controls::statusLine, *status);
}

void Exchange::replyWindowEnded()
{
    if (awaitingReply_)
        display_.setCaption(controls::rxdLine, " X X X X");
    replyTimer_->stop();
    clearReceiveBuffer();
    awaitingReply_ = false;
}

void Exchange::clearDisplay()
{
    display_.setCaption(controls::txdLine, "");
    display_.setCaption(controls::rxdLine, "");
    display_.setCaption(controls::statusLine, "");
    clearTimer_->stop();
}

void Exchange::endHold()
{
    replyTimer_->stop();
    clearTimer_->start();
    display_.setCaption(controls::txdLine, "");
    display_.setCaption(controls::rxdLine, "");
    // The clear timer is running, so its new interval counts from now.
    setReplyTimes(startReplyTimes);
    clearReceiveBuffer();
}

bool Exchange::lineIsFree(int repeatIntervalMs) const
{
    if (serial_.unsentBytes() > 0)
        return false;
    const std::int64_t onWireUs = frameTimeUs(lastWriteBytes_, lineSettings_);
    // The line keeps up on average, and a tick that comes a little early
    // after a late one must not cost the hold its cadence.
    if (onWireUs <= std::int64_t{repeatIntervalMs} * 1000)
        return true;
    return clock_.nowUs() - lastWriteUs_ >= onWireUs;
}

void Exchange::clearReceiveBuffer()
{
    receiveBuffer_.clear();
    receivedTranscript_ = " ";
    renderedBytes_ = 0;
}

} // namespace qm5
