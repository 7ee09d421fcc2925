#include "decode/decode_reply.hpp"

#include <array>

#include "decode/decode_table.hpp"
#include "decode/lamp_table.hpp"
#include "decode/mode_tables.hpp"
#include "decode/power_table.hpp"
#include "decode/pressure.hpp"
#include "decode/transcript_cuts.hpp"

namespace qm5 {

namespace {

using Decoder = std::optional<std::string> (*)(std::string_view transcript);

template <const DecodeTable& table> std::optional<std::string> DecodeByTable(std::string_view transcript)
{
    if (const auto text = LookupReplyKey(table, transcript)) {
        return std::string(*text);
    }
    return std::nullopt;
}

struct QueryDecoder {
    std::string_view code;
    Decoder decode;
};

// Queries that have a decoder, in the order they are tried.
constexpr std::array<QueryDecoder, 9> kQueryDecoders{{
    {"CR0", &DecodeByTable<kPowerStatusTable>},
    {"CR1", &DecodeByTable<kInputModeTable>},
    {"CR4", &DecodeByTable<kOrientationTable>},
    {"CR3", [](std::string_view t) -> std::optional<std::string> { return LampHoursText(t); }},
    {"CR6", [](std::string_view t) -> std::optional<std::string> { return TemperatureText(t); }},
    {"CRA", &DecodeByTable<kMuteSignalTable>},
    {"CR9", [](std::string_view t) -> std::optional<std::string> { return std::string(t); }},
    {"CR PRESSURE", &PressureText},
    {"CR7", &DecodeByTable<kLampStatusTable>},
}};

// lastCommand == targetPrefix & code & CR, without building the frame.
bool IsFrameOf(std::string_view lastCommand, std::string_view targetPrefix, std::string_view code)
{
    return lastCommand.size() == targetPrefix.size() + code.size() + 1 && lastCommand.starts_with(targetPrefix)
        && lastCommand.substr(targetPrefix.size(), code.size()) == code && lastCommand.back() == '\r';
}

} // namespace

std::optional<std::string> DecodeReply(
    std::string_view transcript, std::string_view lastCommand, std::string_view targetPrefix)
{
    // The frames differ from one another, so at most one query can match.
    for (const QueryDecoder& query : kQueryDecoders) {
        if (IsFrameOf(lastCommand, targetPrefix, query.code)) {
            return query.decode(transcript);
        }
    }
    return std::nullopt;
}

} // namespace qm5
