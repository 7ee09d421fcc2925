// DecodeReply on arbitrary replies, for every query and every address prefix.
// The reply is fed as the window feeds it: each longer piece of it is rendered
// and decoded again, so a decoder sees every partial reply on its way in.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/decode_reply.hpp"
#include "decode/pressure.hpp"
#include "link/transcript.hpp"

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

enum class Shape { Key2, Key4, LampHours, Temperatures, Echo, Pressure };

struct Query {
    std::string_view code;
    Shape shape;
};

constexpr std::array<Query, 9> kQueries{{
    {"CR0", Shape::Key4},
    {"CR1", Shape::Key2},
    {"CR4", Shape::Key4},
    {"CR3", Shape::LampHours},
    {"CR6", Shape::Temperatures},
    {"CRA", Shape::Key4},
    {"CR9", Shape::Echo},
    {"CR PRESSURE", Shape::Pressure},
    {"CR7", Shape::Key4},
}};

constexpr std::array<std::string_view, 6> kPrefixes{"", "AFFF", "A001", "A002", "A003", "A004"};

std::string frameOf(std::string_view prefix, std::string_view code)
{
    std::string frame(prefix);
    frame += code;
    frame += '\r';
    return frame;
}

bool isUpperHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool isPrintable(std::string_view text)
{
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 32 || c > 126)
            return false;
    }
    return true;
}

// "-12", "0", "650": what std::to_string gives for an int, nothing else.
bool isPlainInteger(std::string_view s)
{
    const bool negative = !s.empty() && s[0] == '-';
    if (negative)
        s.remove_prefix(1);
    if (s.empty() || (s[0] == '0' && (s.size() > 1 || negative)))
        return false;
    for (const char c : s) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::string_view head(std::string_view t, std::size_t n)
{
    return t.substr(0, n);
}

// What a decoder may show for transcript t, by the shape of its query.
void checkShape(const Query& q, std::string_view t, const std::optional<std::string>& got)
{
    switch (q.shape) {
    case Shape::Key2:
    case Shape::Key4: {
        const std::size_t k = q.shape == Shape::Key2 ? 2 : 4;
        if (t.size() < k) {
            require(!got);
            return;
        }
        // Only the key counts: the rest of the reply changes nothing.
        const auto byKey = qm5::DecodeReply(head(t, k), frameOf("", q.code), "");
        require(byKey == got);
        if (!got)
            return;
        require(!got->empty() && (*got)[0] == ' ' && isPrintable(*got));
        // Every key is upper-case hex reply characters, each after a blank.
        require(t[0] == ' ' && isUpperHex(t[1]));
        if (k == 4)
            require(t[2] == ' ' && isUpperHex(t[3]));
        return;
    }
    case Shape::LampHours: {
        require(got.has_value());
        const std::string_view shown = head(t, 38);
        require(got->size() == shown.size() + 9);
        require(std::string_view(*got).starts_with(shown));
        require(std::string_view(*got).ends_with(" Hour Use"));
        return;
    }
    case Shape::Temperatures: {
        require(got.has_value());
        const std::string_view s(*got);
        const std::string_view first = head(t, 10);
        const std::string_view second = t.size() > 14 ? t.substr(14, 8) : std::string_view();
        require(s.size() == 5 + first.size() + 12 + second.size() + 2);
        require(s.starts_with("  S1="));
        require(s.substr(5, first.size()) == first);
        require(s.substr(5 + first.size(), 12) == " C  ,   S2= ");
        require(s.substr(17 + first.size(), second.size()) == second);
        require(s.ends_with(" C"));
        return;
    }
    case Shape::Echo:
        require(got.has_value() && *got == t);
        return;
    case Shape::Pressure: {
        require(got == qm5::PressureText(t));
        const auto reading = qm5::ReadPressureReading(t);
        // Any reading the 16-bit sensor can give must show a pressure.
        if (reading && *reading >= -6553 && *reading <= 6553)
            require(got.has_value());
        if (!got)
            return;
        const std::string_view s(*got);
        require(s.ends_with(" hPa"));
        const std::string_view number = s.substr(0, s.size() - 4);
        require(isPlainInteger(number));
        if (reading && *reading >= -6553 && *reading <= 6553) {
            const int p = std::stoi(std::string(number));
            require(p >= -6866 && p <= 7077);
        }
        return;
    }
    }
}

// Every query frame under every prefix, and the frames that come close to
// one without being it. Built once: the checks run them for every input.
struct Frames {
    std::array<std::array<std::string, kQueries.size()>, kPrefixes.size()> query;
    std::array<std::vector<std::string>, kPrefixes.size()> nearMisses;

    Frames()
    {
        for (std::size_t p = 0; p < kPrefixes.size(); ++p) {
            for (std::size_t i = 0; i < kQueries.size(); ++i)
                query[p][i] = frameOf(kPrefixes[p], kQueries[i].code);
        }
        for (std::size_t p = 0; p < kPrefixes.size(); ++p) {
            std::vector<std::string>& misses = nearMisses[p];
            for (const std::string& frame : query[p]) {
                std::string lower = frame;
                for (char& c : lower)
                    c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
                const std::string body = frame.substr(0, frame.size() - 1);
                misses.push_back(body);              // no CR
                misses.push_back(frame + "\n");      // CR LF
                misses.push_back(frame + "\r");      // two CRs
                misses.push_back(body + " \r");      // trailing blank
                misses.push_back(lower);             // case differs
                misses.push_back(frame.substr(1));   // first character lost
                // The same query under any other prefix.
                for (std::size_t other = 0; other < kPrefixes.size(); ++other) {
                    if (other != p)
                        misses.push_back(query[other][&frame - query[p].data()]);
                }
            }
            misses.push_back(frameOf(kPrefixes[p], "CR INFPFAIL"));
            misses.push_back(frameOf(kPrefixes[p], "CR2"));
            misses.push_back("");
        }
    }
};

const Frames& frames()
{
    static const Frames f;
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Frames& f = frames();
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const std::string full = qm5::RenderTranscript(reply);

    // Each piece of the reply as it would stand in the receive buffer.
    std::array<std::optional<std::string>, kQueries.size()> previous{};
    for (std::size_t n = 0; n <= size; ++n) {
        const std::string t = qm5::RenderTranscript(reply.substr(0, n));
        require(std::string_view(full).starts_with(t));
        const std::size_t p = n % kPrefixes.size();
        for (std::size_t i = 0; i < kQueries.size(); ++i) {
            const Query& q = kQueries[i];
            auto got = qm5::DecodeReply(t, f.query[p][i], kPrefixes[p]);
            checkShape(q, t, got);
            // A table text, once shown, stays while the rest of the reply arrives.
            if ((q.shape == Shape::Key2 || q.shape == Shape::Key4) && previous[i])
                require(got == previous[i]);
            previous[i] = std::move(got);
        }
    }

    // Dispatch: which prefix the frame was built with changes nothing but
    // whether it is decoded at all; a frame that is not exactly a query frame
    // under the prefix in force decodes nothing.
    for (std::size_t p = 0; p < kPrefixes.size(); ++p) {
        for (std::size_t i = 0; i < kQueries.size(); ++i)
            require(qm5::DecodeReply(full, f.query[p][i], kPrefixes[p]) == previous[i]);
        for (const std::string& miss : f.nearMisses[p])
            require(!qm5::DecodeReply(full, miss, kPrefixes[p]));

        // The reply bytes themselves taken as the frame, and as typed text.
        bool isQueryFrame = false;
        bool isQueryText = false;
        for (std::size_t i = 0; i < kQueries.size(); ++i) {
            isQueryFrame = isQueryFrame || reply == f.query[p][i];
            isQueryText = isQueryText || reply == kQueries[i].code;
        }
        if (!isQueryFrame)
            require(!qm5::DecodeReply(full, reply, kPrefixes[p]));
        std::string typed(kPrefixes[p]);
        typed += reply;
        typed += '\r';
        if (!isQueryText)
            require(!qm5::DecodeReply(full, typed, kPrefixes[p]));
    }
    return 0;
}
