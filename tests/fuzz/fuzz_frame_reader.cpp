// The virtual projector's side of the line on an arbitrary byte stream, written
// in pieces at advancing times. The frame reader must cut the same frames
// however the stream is split and hold no more than one frame; the line must
// answer exactly the frames meant for its units, and every fault mode must
// carry the same answers (later, in pieces or spoilt) rather than other ones.
// What the units answer must be something the panel can decode.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "decode/decode_reply.hpp"
#include "frame_reader.hpp"
#include "line.hpp"
#include "link/transcript.hpp"
#include "projector.hpp"

namespace {

using qm5::sim::Fault;
using qm5::sim::FrameReader;
using qm5::sim::Line;
using qm5::sim::LineOptions;
using qm5::sim::Projector;

void require(bool ok)
{
    if (!ok)
        std::abort();
}

bool isPrintable(unsigned char c)
{
    return c >= 32 && c <= 126;
}

bool isUpperHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// What a frame reader must make of a stream, worked out line by line.
struct Framing {
    std::vector<std::string> frames;
    std::size_t skipped = 0;
    std::size_t buffered = 0;
};

Framing frameByLines(std::string_view stream)
{
    Framing out;
    std::string line;
    for (const char c : stream) {
        if (c == '\n')
            continue;
        if (c != '\r') {
            line += c;
            continue;
        }
        bool clean = line.size() <= FrameReader::kMaxFrame;
        for (const char x : line)
            clean = clean && isPrintable(static_cast<unsigned char>(x));
        if (!clean)
            ++out.skipped;
        else if (!line.empty())
            out.frames.push_back(line);
        line.clear();
    }
    out.buffered = line.size() <= FrameReader::kMaxFrame ? line.size() : 0;
    return out;
}

// Whether a line whose units have these addresses answers a frame.
bool answered(const std::string& frame, const std::vector<int>& addresses)
{
    const bool addressed = frame.size() >= 4 && frame[0] == 'A' && isUpperHex(frame[1])
                           && isUpperHex(frame[2]) && isUpperHex(frame[3]);
    if (!addressed)
        return addresses.size() == 1;
    if (frame[1] != '0' || frame[2] != '0')
        return false;
    for (const int a : addresses) {
        if (frame[3] == static_cast<char>('0' + a))
            return true;
    }
    return false;
}

// Splits a clean reply stream into answers; each is ACK, NAK or printable
// text ending in CR. Aborts on anything else.
std::size_t countAnswers(std::string_view out)
{
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < out.size()) {
        if (out[i] == Projector::kAck || out[i] == Projector::kNak) {
            ++i;
        } else {
            while (i < out.size() && isPrintable(static_cast<unsigned char>(out[i])))
                ++i;
            require(i < out.size() && out[i] == Projector::kCr);
            ++i;
        }
        ++count;
    }
    return count;
}

struct LineUnderTest {
    std::unique_ptr<Line> line;
    std::string out;
};

// The set of lines sharing one stream: the same units under each fault.
struct Bench {
    std::vector<int> addresses;
    LineUnderTest plain, slow, split, split3, garbled, silent, flood;
    std::array<std::array<int, Projector::kLampCount>, Line::kMaxProjectors> hours{};
    std::size_t writes = 0;

    explicit Bench(std::vector<int> units) : addresses(std::move(units))
    {
        const auto make = [&](Fault fault, std::size_t piece = 1) {
            LineOptions options;
            options.fault = fault;
            options.splitPieceBytes = piece;
            return LineUnderTest{std::make_unique<Line>(addresses, options), {}};
        };
        plain = make(Fault::None);
        slow = make(Fault::Slow);
        split = make(Fault::Split);
        split3 = make(Fault::Split, 3);
        garbled = make(Fault::Garbled);
        silent = make(Fault::Silent);
        flood = make(Fault::Flood);
        for (std::size_t u = 0; u < addresses.size(); ++u) {
            for (int lamp = 1; lamp <= Projector::kLampCount; ++lamp)
                hours[u][lamp - 1] = plain.line->projector(addresses[u])->lampHours(lamp);
        }
    }

    void write(std::string_view bytes, std::int64_t now)
    {
        ++writes;
        for (LineUnderTest* l : {&plain, &slow, &split, &split3, &garbled, &silent, &flood}) {
            // Junk costs time to make; the flooded line is read now and then.
            if (l == &flood && (addresses.size() > 1 || writes % 32 != 0))
                continue;
            l->line->receive(bytes, now);
            require(l->line->pendingBytes() <= Line::kMaxPendingBytes);
            require(l->line->reader().buffered() <= FrameReader::kMaxFrame);
            const std::size_t pending = l->line->pendingBytes();
            const std::string due = l->line->takeDue(now);
            if (l == &flood) {
                // Junk is capped per burst; it is not kept, only bounded.
                require(due.size() <= pending + Line::kMaxFloodBurst);
                require(l->line->nextDueMs().has_value());
                continue;
            } else {
                require(due.size() <= pending);
                // What is left is due later, and nothing is due when nothing is left.
                const auto next = l->line->nextDueMs();
                require(next.has_value() == (l->line->pendingBytes() > 0));
                require(!next || *next > now);
            }
            l->out += due;
        }
        checkUnits(now);
    }

    void checkUnits(std::int64_t now)
    {
        for (std::size_t u = 0; u < addresses.size(); ++u) {
            Projector& p = *plain.line->projector(addresses[u]);
            p.advance(now);
            require(p.lampMode() >= 0 && p.lampMode() <= 2);
            require(p.input() >= 1 && p.input() <= 4);
            constexpr unsigned modeLamps[] = {0xF, 0x9, 0x6};
            require(p.lampsLit() == 0 || p.lampsLit() == modeLamps[p.lampMode()]);
            // Lamp hours only ever go up, and stay within the four digits shown.
            for (int lamp = 1; lamp <= Projector::kLampCount; ++lamp) {
                const int h = p.lampHours(lamp);
                require(h >= hours[u][lamp - 1] && h <= Projector::kMaxLampHours);
                hours[u][lamp - 1] = h;
            }
        }
    }

    void finish(std::int64_t now, std::size_t expectedAnswers)
    {
        const std::int64_t late = now + 3'600'000;
        for (LineUnderTest* l : {&plain, &slow, &split, &split3, &garbled, &silent}) {
            l->out += l->line->takeDue(late);
            require(l->line->pendingBytes() == 0 && !l->line->nextDueMs());
        }
        require(countAnswers(plain.out) == expectedAnswers);
        require(slow.out == plain.out);
        require(split.out == plain.out);
        require(split3.out == plain.out);
        require(silent.out.empty());
        require(garbled.out.size() == plain.out.size());
        for (std::size_t i = 0; i < plain.out.size(); ++i)
            require(garbled.out[i] == static_cast<char>(plain.out[i] ^ 0x40));
        checkAnswersDecode(late);
    }

    // Every status query, asked of each unit in the state the stream left it
    // in, gets an answer the panel's decoders accept.
    void checkAnswersDecode(std::int64_t now)
    {
        for (const int address : addresses) {
            Projector& p = *plain.line->projector(address);
            for (const std::string_view code : {"CR0", "CR1", "CR4", "CRA", "CR7"}) {
                const std::string frame = std::string(code) + '\r';
                std::string reply = p.execute(code, now);
                const auto status = qm5::DecodeReply(qm5::RenderTranscript(reply), frame, "");
                require(status.has_value() && !status->empty() && (*status)[0] == ' ');
                // The same answer spoilt on the line never passes for a status.
                for (char& c : reply)
                    c = static_cast<char>(c ^ 0x40);
                require(!qm5::DecodeReply(qm5::RenderTranscript(reply), frame, ""));
            }
            // Lamp hours and temperatures fill every position the panel cuts.
            for (const std::string_view code : {"CR3", "CR6"}) {
                const std::string reply = p.execute(code, now);
                require(reply.size() >= 2 && reply.back() == Projector::kCr);
                for (std::size_t i = 0; i + 1 < reply.size(); ++i)
                    require(isPrintable(static_cast<unsigned char>(reply[i])));
                const auto status = qm5::DecodeReply(qm5::RenderTranscript(reply),
                                                     std::string(code) + '\r', "");
                require(status.has_value() && status->find("CR") == std::string::npos);
            }
            const std::string reply = p.execute("CR PRESSURE", now);
            const auto status =
                qm5::DecodeReply(qm5::RenderTranscript(reply), "CR PRESSURE\r", "");
            require(status.has_value() && status->ends_with(" hPa"));
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view stream(reinterpret_cast<const char*>(data), size);
    const Framing expected = frameByLines(stream);

    // All at once.
    FrameReader whole;
    const std::vector<std::string> frames = whole.feed(stream);
    require(frames == expected.frames);
    require(whole.skipped() == expected.skipped);
    require(whole.buffered() == expected.buffered);

    // In pieces, each piece's first byte choosing its length and the time
    // that passes before it is written.
    FrameReader pieces;
    std::vector<std::string> pieceFrames;
    Bench single({1});
    Bench four({1, 2, 3, 4});
    std::int64_t now = 0;
    for (std::size_t at = 0; at < size;) {
        const std::size_t length = std::min<std::size_t>(data[at] % 8 + 1, size - at);
        now += (data[at] >> 3) * 37;
        const std::string_view piece = stream.substr(at, length);
        for (std::string& f : pieces.feed(piece))
            pieceFrames.push_back(std::move(f));
        require(pieces.buffered() <= FrameReader::kMaxFrame);
        single.write(piece, now);
        four.write(piece, now);
        at += length;
    }
    require(pieceFrames == expected.frames);
    require(pieces.skipped() == expected.skipped);
    require(pieces.buffered() == expected.buffered);

    for (const std::string& f : frames) {
        require(!f.empty() && f.size() <= FrameReader::kMaxFrame);
        for (const char c : f)
            require(isPrintable(static_cast<unsigned char>(c)));
    }

    std::size_t forSingle = 0;
    std::size_t forFour = 0;
    for (const std::string& f : frames) {
        forSingle += answered(f, single.addresses) ? 1 : 0;
        forFour += answered(f, four.addresses) ? 1 : 0;
    }
    single.finish(now, forSingle);
    four.finish(now, forFour);

    // A reset drops exactly the partial frame.
    pieces.reset();
    require(pieces.buffered() == 0);
    require(pieces.feed("CR0\r") == std::vector<std::string>{"CR0"});
    return 0;
}
