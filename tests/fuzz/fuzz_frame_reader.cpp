// The virtual projector's side of the line on an arbitrary byte stream written
// in pieces at advancing times: the frame reader against a reading line by
// line, the same answers under each fault mode, and answers the panel decodes.

#include <algorithm>
#include <cctype>
#include <deque>
#include <string>
#include <vector>

#include "frame_reader.hpp"
#include "fuzz_check.hpp"
#include "line.hpp"
#include "projector.hpp"
#include "protocol/decode_reply.hpp"
#include "protocol/transcript.hpp"

namespace {

using qm5::fuzz::require;
using namespace qm5::sim;

struct Framing {
    std::vector<std::string> frames;
    std::size_t skipped = 0;
    std::size_t buffered = 0;
};

Framing frameByLines(std::string_view stream)
{
    const auto printable = [](unsigned char c) { return c >= 32 && c <= 126; };
    Framing out;
    std::string line;
    for (const char c : stream) {
        if (c == '\r') {
            if (line.size() > FrameReader::maxFrame || !std::all_of(line.begin(), line.end(), printable))
                ++out.skipped;
            else if (!line.empty())
                out.frames.push_back(line);
            line.clear();
        } else if (c != '\n') {
            line += c;
        }
    }
    out.buffered = line.size() <= FrameReader::maxFrame ? line.size() : 0;
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view stream = qm5::fuzz::text(data, size);
    const Framing expected = frameByLines(stream);
    const auto matches = [&](const std::vector<std::string>& frames, const FrameReader& reader) {
        require(frames == expected.frames && reader.skipped() == expected.skipped
            && reader.buffered() == expected.buffered);
    };
    FrameReader whole;
    matches(whole.feed(stream), whole);

    // One unit and four, each behind lines with no fault, slow, split in
    // threes, garbled and silent.
    const std::vector<int> unitSets[] = {{1}, {1, 2, 3, 4}};
    using enum Fault;
    std::deque<Line> lines;
    for (const auto& units : unitSets)
        for (const Fault f : {None, Slow, Split, Garbled, Silent})
            lines.emplace_back(units, LineOptions{.splitPieceBytes = 3, .fault = f});
    std::vector<std::string> out(lines.size());

    // In pieces, each piece's first byte choosing its length and the time
    // that passes before it is written.
    FrameReader pieces;
    std::vector<std::string> frames;
    std::int64_t now = 0;
    for (std::size_t at = 0; at < size;) {
        const std::string_view piece = stream.substr(at, data[at] % 8 + 1);
        now += (data[at] >> 3) * 37;
        at += piece.size();
        for (std::string& f : pieces.feed(piece))
            frames.push_back(std::move(f));
        require(pieces.buffered() <= FrameReader::maxFrame);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            lines[i].receive(piece, now);
            require(lines[i].pendingBytes() <= Line::maxPendingBytes);
            require(lines[i].reader().buffered() <= FrameReader::maxFrame);
            out[i] += lines[i].takeDue(now);
        }
    }
    matches(frames, pieces);

    now += 3'600'000;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out[i] += lines[i].takeDue(now);
        require(lines[i].pendingBytes() == 0);
    }
    for (std::size_t s = 0; s < std::size(unitSets); ++s) {
        const std::vector<int>& units = unitSets[s];
        // "A00n" frames are answered by unit n, other hex addresses by none,
        // frames without one only by a single unit; ACK, NAK or text and CR each.
        std::ptrdiff_t owed = 0;
        for (const std::string& f : expected.frames) {
            const auto hex = [](char c) { return std::isxdigit(c) && !std::islower(c); };
            if (f.size() < 4 || f[0] != 'A' || !std::all_of(f.begin() + 1, f.begin() + 4, hex))
                owed += units.size() == 1 ? 1 : 0;
            else if (f[1] == '0' && f[2] == '0')
                owed += std::count(units.begin(), units.end(), f[3] - '0');
        }
        const std::string* line = &out[5 * s]; // none, slow, split, garbled, silent
        for (const char c : line[0])
            owed -= c == Projector::ack || c == Projector::nak || c == Projector::cr ? 1 : 0;
        require(owed == 0);
        std::string garbled = line[0];
        for (char& c : garbled)
            c = static_cast<char>(c ^ 0x40);
        require(line[1] == line[0] && line[2] == line[0] && line[3] == garbled && line[4].empty());

        // Every status query, asked of each unit as the stream left it, gets an
        // answer the panel decodes, filling every position the panel cuts.
        for (const int address : units) {
            Projector& p = *lines[5 * s].projector(address);
            for (const std::string_view code : {"CR0", "CR1", "CR4", "CRA", "CR7", "CR3", "CR6", "CR PRESSURE"}) {
                const auto status =
                    qm5::decodeReply(qm5::renderTranscript(p.execute(code, now)), std::string(code) + '\r', "");
                require(status && status->find("CR") == std::string::npos);
            }
        }
    }
    return 0;
}
