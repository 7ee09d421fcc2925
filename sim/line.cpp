#include "line.hpp"

#include <algorithm>
#include <stdexcept>

namespace qm5::sim {

namespace {

constexpr std::string_view broadcast = "FFF";

bool isUpperHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// "Annn" with three upper-case hex digits; no command of the vocabulary
// begins like that, so it cannot be mistaken for one.
bool hasAddressPrefix(std::string_view frame)
{
    return frame.size() >= 4 && frame[0] == 'A' && isUpperHex(frame[1]) && isUpperHex(frame[2]) && isUpperHex(frame[3]);
}

// Bit 6 flipped, length kept: digits become lower-case letters, so one
// spoilt answer never passes for a valid one. (ACK becomes 'F', so two
// spoilt ACKs in a row read "FF", as real line noise might.)
char garble(char c)
{
    return static_cast<char>(c ^ 0x40);
}

} // namespace

Line::Line(const std::vector<int>& addresses, LineOptions options) : options_(options)
{
    if (addresses.empty() || addresses.size() > maxProjectors)
        throw std::invalid_argument("a line carries one to four projectors");
    for (const int address : addresses) {
        if (projector(address))
            throw std::invalid_argument("projector addresses must be distinct");
        projectors_.emplace_back(address, options.timing);
    }
}

Projector* Line::projector(int address)
{
    for (Projector& p : projectors_) {
        if (p.address() == address)
            return &p;
    }
    return nullptr;
}

void Line::receive(std::string_view bytes, std::int64_t nowMs)
{
    for (const std::string& frame : reader_.feed(bytes))
        route(frame, nowMs);
}

void Line::route(std::string_view frame, std::int64_t nowMs)
{
    ++framesReceived_;
    recentFrames_.emplace_back(frame);
    if (recentFrames_.size() > recentFramesKept)
        recentFrames_.pop_front();
    if (!hasAddressPrefix(frame)) {
        // With several units on the line an unaddressed frame reaches them
        // all; their answers would collide, so they keep quiet.
        if (projectors_.size() == 1) {
            schedule(projectors_.front().execute(frame, nowMs), nowMs, frame.size());
        } else {
            for (Projector& p : projectors_)
                p.execute(frame, nowMs);
        }
        return;
    }
    const std::string_view address = frame.substr(1, 3);
    const std::string_view command = frame.substr(4);
    if (address == broadcast) {
        for (Projector& p : projectors_)
            p.execute(command, nowMs);
        return;
    }
    if (address[0] != '0' || address[1] != '0')
        return;
    if (Projector* target = projector(address[2] - '0'))
        schedule(target->execute(command, nowMs), nowMs, frame.size());
}

void Line::schedule(std::string reply, std::int64_t nowMs, std::size_t frameBytes)
{
    switch (options_.fault) {
    case Fault::Silent:
        return;
    case Fault::Slow:
        enqueue(nowMs + options_.slowDelayMs, std::move(reply));
        return;
    case Fault::Split: {
        const std::size_t piece = std::max<std::size_t>(options_.splitPieceBytes, 1);
        std::int64_t due = nowMs + options_.replyDelayMs;
        for (std::size_t at = 0; at < reply.size(); at += piece) {
            enqueue(due, reply.substr(at, piece));
            due += options_.splitGapMs;
        }
        return;
    }
    case Fault::Garbled:
        std::transform(reply.begin(), reply.end(), reply.begin(), garble);
        break;
    case Fault::None:
    case Fault::Flood:
        break;
    }
    std::int64_t wireMs = 0;
    if (options_.wireBaud > 0) {
        // The frame with its CR, then the reply, ten bits a byte, in whole ms.
        const auto bits = static_cast<std::int64_t>(frameBytes + 1 + reply.size()) * 10;
        wireMs = (bits * 1000 + options_.wireBaud - 1) / options_.wireBaud;
    }
    enqueue(nowMs + wireMs + options_.replyDelayMs, std::move(reply));
}

void Line::enqueue(std::int64_t dueMs, std::string bytes)
{
    if (pendingBytes_ + bytes.size() > maxPendingBytes)
        return;
    // A reply never overtakes one queued before it.
    if (!pending_.empty())
        dueMs = std::max(dueMs, pending_.back().dueMs);
    pendingBytes_ += bytes.size();
    pending_.push_back({dueMs, std::move(bytes)});
}

std::string Line::takeDue(std::int64_t nowMs)
{
    std::string out;
    while (!pending_.empty() && pending_.front().dueMs <= nowMs) {
        out += pending_.front().bytes;
        pendingBytes_ -= pending_.front().bytes.size();
        pending_.pop_front();
    }
    if (options_.fault == Fault::Flood)
        appendFlood(out, nowMs);
    return out;
}

void Line::appendFlood(std::string& out, std::int64_t nowMs)
{
    if (nowMs <= floodUntilMs_)
        return;
    // After a long pause only a burst is sent; the backlog is not made up.
    const auto owed = static_cast<std::size_t>((nowMs - floodUntilMs_) * floodBytesPerMs);
    const std::size_t count = std::min(owed, maxFloodBurst);
    for (std::size_t i = 0; i < count; ++i) {
        // Any byte value may come: the junk of a line at the wrong speed.
        floodState_ = floodState_ * 1664525u + 1013904223u;
        out.push_back(static_cast<char>(floodState_ >> 24));
    }
    floodUntilMs_ = nowMs;
}

std::optional<std::int64_t> Line::nextDueMs() const
{
    std::optional<std::int64_t> next;
    if (!pending_.empty())
        next = pending_.front().dueMs;
    if (options_.fault == Fault::Flood) {
        const std::int64_t floodDue = floodUntilMs_ + floodTickMs;
        next = next ? std::min(*next, floodDue) : floodDue;
    }
    return next;
}

void Line::dropPending()
{
    pending_.clear();
    pendingBytes_ = 0;
}

} // namespace qm5::sim
