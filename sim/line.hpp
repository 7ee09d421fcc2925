#pragma once
// The serial line as the panel sees it: up to four projectors behind one port.
// Frames are routed by their address prefix; replies leave after a delay, and
// a fault mode can spoil them. Time is passed in, never read.

#include "frame_reader.hpp"
#include "names.hpp"
#include "projector.hpp"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm5::sim {

enum class Fault : std::uint8_t {
    None,
    Silent,  // commands are carried out, nothing is answered
    Slow,    // answers come after the panel's reply window
    Split,   // answers come in small pieces, a few ms apart
    Garbled, // answer bytes are altered on the way
    Flood,   // the line carries an endless stream of junk bytes
};

inline constexpr Names<Fault, 6> faultNames = {{
    {"none", Fault::None},
    {"silent", Fault::Silent},
    {"slow", Fault::Slow},
    {"split", Fault::Split},
    {"garbled", Fault::Garbled},
    {"flood", Fault::Flood},
}};

constexpr std::optional<Fault> parseFault(std::string_view name)
{
    return valueNamed(faultNames, name);
}

struct LineOptions {
    std::int64_t replyDelayMs = 30;
    std::int64_t slowDelayMs = 700; // beyond the panel's 500 ms reply window
    std::size_t splitPieceBytes = 1;
    std::int64_t splitGapMs = 10;
    Fault fault = Fault::None;
    ProjectorTiming timing{};
    // Bits a second on the wire, 0 for none: a frame and its reply then take
    // the time ten bits a byte take at this speed, as on a real line, on top
    // of the reply delay. A pseudo-terminal by itself carries them at once.
    long wireBaud = 0;
};

class Line {
public:
    static constexpr std::size_t maxProjectors = 4;
    // Undelivered bytes are capped; replies beyond this are lost.
    static constexpr std::size_t maxPendingBytes = 64 * 1024;
    // The flood runs at about the speed of a 19200 baud line.
    static constexpr std::int64_t floodBytesPerMs = 2;
    static constexpr std::int64_t floodTickMs = 10;
    static constexpr std::size_t maxFloodBurst = 4096;

    // addresses: 1 to 4, distinct, at least one. Throws std::invalid_argument.
    explicit Line(const std::vector<int>& addresses, LineOptions options = {});

    // Takes bytes the panel wrote at nowMs; carries out every complete frame.
    void receive(std::string_view bytes, std::int64_t nowMs);
    // The bytes due on the wire by nowMs, in order; they are handed out once.
    std::string takeDue(std::int64_t nowMs);
    // When takeDue next has something to give, if ever.
    std::optional<std::int64_t> nextDueMs() const;

    // Drops a partly received frame, e.g. when the far end went away.
    void resetInput() { reader_.reset(); }
    // Forgets every reply not yet handed out.
    void dropPending();

    Projector* projector(int address);
    const FrameReader& reader() const { return reader_; }
    std::size_t pendingBytes() const { return pendingBytes_; }

    // Every whole frame taken off the line so far, and the latest of them
    // (prefix included, CR removed), for tests and tools that watch traffic.
    std::size_t framesReceived() const { return framesReceived_; }
    const std::deque<std::string>& recentFrames() const { return recentFrames_; }
    static constexpr std::size_t recentFramesKept = 256;

private:
    struct Pending {
        std::int64_t dueMs;
        std::string bytes;
    };

    void route(std::string_view frame, std::int64_t nowMs);
    void schedule(std::string reply, std::int64_t nowMs, std::size_t frameBytes);
    void enqueue(std::int64_t dueMs, std::string bytes);
    void appendFlood(std::string& out, std::int64_t nowMs);

    LineOptions options_;
    std::vector<Projector> projectors_;
    FrameReader reader_;
    std::deque<Pending> pending_;
    std::size_t pendingBytes_ = 0;
    std::int64_t floodUntilMs_ = 0;
    std::uint32_t floodState_ = 0x2545F491u;
    std::size_t framesReceived_ = 0;
    std::deque<std::string> recentFrames_;
};

} // namespace qm5::sim
