#pragma once
// The exchange engine: every frame goes out through send(), every received
// character comes in through onReceived(). The reply timer closes the
// reply window (and marks a missing reply), the clear timer empties the
// display a moment after every exchange. There is no queue and no retry.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/display.hpp"
#include "core/serial_control.hpp"
#include "core/timer.hpp"
#include "protocol/reply_times.hpp"

namespace qm5 {

class Exchange {
public:
    // Longest receive buffer kept; characters beyond it are dropped until the
    // buffer is next cleared.
    static constexpr std::size_t receiveBufferCap = 32767;

    Exchange(Display& display, SerialControl& serial, Clock& clock);
    ~Exchange();
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    // Start values: no prefix, the start settings, nothing received or awaited.
    void reset();

    // Frames prefix & command & CR into the last frame and sends it.
    void send(std::string_view command);
    // Received characters join the buffer, which is shown and decoded whole.
    void onReceived();

    void setAddressPrefix(std::string_view prefix) { addressPrefix_ = prefix; }
    // Applied to the port at once, open or closed.
    void setLineSettings(std::string_view settings);
    // Reply window and display clear for this and every later frame.
    void setReplyTimes(ReplyTimes times);
    // The end of a hold: its last reply window is dropped without a
    // missing-reply mark, the transcripts and the buffer are emptied, the
    // display clears a moment later, and the start reply times return.
    void endHold();

    // Whether the last frame has had its time on the wire and the serial
    // layer has nothing left to write; a frame that fits into one repeat
    // interval never holds a repeat back.
    bool lineIsFree(int repeatIntervalMs) const;

    // The timers' handlers: the end of the reply window (a missing reply is
    // marked) and the clearing of the display.
    void replyWindowEnded();
    void clearDisplay();

    const std::string& addressPrefix() const { return addressPrefix_; }
    const std::string& lineSettings() const { return lineSettings_; }
    const std::string& lastFrame() const { return lastFrame_; }
    const std::string& receiveBuffer() const { return receiveBuffer_; }
    bool awaitingReply() const { return awaitingReply_; }
    Timer& replyTimer() { return *replyTimer_; }
    Timer& clearTimer() { return *clearTimer_; }

private:
    void showSent();
    void showReceived();
    void clearReceiveBuffer();

    Display& display_;
    SerialControl& serial_;
    Clock& clock_;
    std::unique_ptr<Timer> replyTimer_;
    std::unique_ptr<Timer> clearTimer_;

    std::string addressPrefix_;
    std::string lineSettings_;
    std::string lastFrame_;
    std::string receiveBuffer_;
    bool awaitingReply_ = false;

    // The buffer's transcript, rendered as the buffer grows.
    std::string receivedTranscript_ = " ";
    std::size_t renderedBytes_ = 0;
    // When the last frame went to the serial layer, and its length.
    std::int64_t lastWriteUs_ = 0;
    std::size_t lastWriteBytes_ = 0;
};

} // namespace qm5
