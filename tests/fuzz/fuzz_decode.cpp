// decodeReply on arbitrary replies, for every query under every address prefix.
// The reply is fed as the window feeds it: each longer piece is rendered and
// decoded again, so a decoder sees every partial reply on its way in.

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>

#include "fuzz_check.hpp"
#include "protocol/decode_reply.hpp"
#include "protocol/pressure.hpp"
#include "protocol/transcript.hpp"

namespace {

using qm5::fuzz::require;
using Status = std::optional<std::string>;

// keyLength 2 or 4: a table decoder; 0: a decoder that cuts or reads the text.
struct Query {
    std::string_view code;
    std::size_t keyLength;
};
constexpr std::array<Query, 9> queries{{{"CR0", 4}, {"CR1", 2}, {"CR4", 4}, {"CR3", 0}, {"CR6", 0}, {"CRA", 4},
    {"CR9", 0}, {"CR PRESSURE", 0}, {"CR7", 4}}};
constexpr std::array<std::string_view, 6> prefixes{"", "AFFF", "A001", "A002", "A003", "A004"};

std::string frameOf(std::string_view prefix, std::string_view code)
{
    return std::string(prefix) + std::string(code) + '\r';
}

// What a decoder that cuts or reads the transcript t must show.
Status expectedCut(std::string_view code, std::string_view t)
{
    if (code == "CR3")
        return std::string(t.substr(0, 38)) + " Hour Use";
    if (code == "CR6")
        return "  S1=" + std::string(t.substr(0, 10))
            + " C  ,   S2= " + std::string(t.size() > 14 ? t.substr(14, 8) : "") + " C";
    return code == "CR9" ? Status(std::string(t)) : qm5::pressureText(t);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply = qm5::fuzz::text(data, size);

    std::array<Status, queries.size()> previous{};
    for (std::size_t n = 0; n <= size; ++n) {
        const std::string t = qm5::renderTranscript(reply.substr(0, n));
        const std::size_t p = n % prefixes.size();
        for (std::size_t i = 0; i < queries.size(); ++i) {
            const Query& q = queries[i];
            Status got = qm5::decodeReply(t, frameOf(prefixes[p], q.code), prefixes[p]);
            if (q.keyLength == 0) {
                require(got == expectedCut(q.code, t));
            } else {
                // Nothing before the key is complete; only the key counts, and
                // a text once shown stays while the rest of the reply arrives.
                require(t.size() >= q.keyLength || !got);
                require(got == qm5::decodeReply(t.substr(0, q.keyLength), frameOf("", q.code), ""));
                require(!previous[i] || got == previous[i]);
            }
            previous[i] = std::move(got);
        }
    }

    // The prefix changes nothing but whether a frame is decoded at all; a
    // frame that is not exactly a query frame under the prefix in force,
    // the reply bytes themselves as frame or as typed text included, decodes nothing.
    const std::string full = qm5::renderTranscript(reply);
    for (const std::string_view prefix : prefixes) {
        const auto decodes = [&](std::string_view f) { return qm5::decodeReply(full, f, prefix); };
        bool isFrame = false;
        bool isCode = false;
        for (std::size_t i = 0; i < queries.size(); ++i) {
            const std::string q = frameOf(prefix, queries[i].code);
            require(decodes(q) == previous[i]);
            isFrame = isFrame || reply == q;
            isCode = isCode || reply == queries[i].code;
            const std::string body = q.substr(0, q.size() - 1);
            std::string lower = q;
            std::transform(q.begin(), q.end(), lower.begin(), ::tolower);
            const std::string near[] = {body, q + "\n", q + "\r", body + " \r", lower, q.substr(1)};
            for (const std::string& miss : near)
                require(!decodes(miss));
            for (const std::string_view other : prefixes)
                require(other == prefix || !decodes(frameOf(other, queries[i].code)));
        }
        for (const std::string_view code : {"CR INFPFAIL", "CR2", ""})
            require(!decodes(frameOf(prefix, code)) && !decodes(code));
        require(isFrame || !decodes(reply));
        require(isCode || !decodes(frameOf(prefix, reply)));
    }
    return 0;
}
