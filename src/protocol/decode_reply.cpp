#include "protocol/decode_reply.hpp"

#include <array>

#include "core/find_row.hpp"
#include "protocol/decode_table.hpp"
#include "protocol/frame.hpp"
#include "protocol/hours_and_temperatures.hpp"
#include "protocol/lamp_table.hpp"
#include "protocol/mode_tables.hpp"
#include "protocol/power_table.hpp"
#include "protocol/pressure.hpp"

namespace qm5 {

namespace {

using Decoder = std::optional<std::string> (*)(std::string_view transcript);

template <const DecodeTable& table> std::optional<std::string> decodeByTable(std::string_view transcript)
{
    if (const auto text = lookupReplyKey(table, transcript)) {
        return std::string(*text);
    }
    return std::nullopt;
}

struct QueryDecoder {
    std::string_view code;
    Decoder decode;
};

// Queries that have a decoder, in the order they are tried.
constexpr std::array<QueryDecoder, 9> queryDecoders{{
    {"CR0", &decodeByTable<powerStatusTable>},
    {"CR1", &decodeByTable<inputModeTable>},
    {"CR4", &decodeByTable<orientationTable>},
    {"CR3", [](std::string_view t) -> std::optional<std::string> { return lampHoursText(t); }},
    {"CR6", [](std::string_view t) -> std::optional<std::string> { return temperatureText(t); }},
    {"CRA", &decodeByTable<muteSignalTable>},
    {"CR9", [](std::string_view t) -> std::optional<std::string> { return std::string(t); }},
    {"CR PRESSURE", &pressureText},
    {"CR7", &decodeByTable<lampStatusTable>},
}};

} // namespace

std::optional<std::string> decodeReply(
    std::string_view transcript, std::string_view lastFrame, std::string_view addressPrefix)
{
    // The frames differ from one another, so at most one query can match.
    for (const QueryDecoder& query : queryDecoders) {
        if (isFrameOf(lastFrame, addressPrefix, query.code)) {
            return query.decode(transcript);
        }
    }
    return std::nullopt;
}

bool hasDecoder(std::string_view command)
{
    return findRow(queryDecoders, &QueryDecoder::code, command) != nullptr;
}

} // namespace qm5
