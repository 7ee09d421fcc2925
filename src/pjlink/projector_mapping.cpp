#include "pjlink/projector_mapping.hpp"

#include <charconv>

#include "pjlink/pjlink_command.hpp"
#include "protocol/frame.hpp"
#include "protocol/lamp_table.hpp"
#include "protocol/transcript.hpp"

namespace qm5::pjlink {

namespace {

// The start of the reply as its decoder keys it; empty when the decoder
// knows no such reply.
std::string knownKey(const Outcome& outcome, const DecodeTable& table)
{
    const std::string transcript = renderTranscript(outcome.reply);
    if (!lookupReplyKey(table, transcript))
        return {};
    return transcript.substr(0, table.keyLength);
}

// The row of a known key; nullptr for the empty key of a reply nobody knows.
template <typename Rows> auto findByKey(const Rows& rows, const std::string& key) -> decltype(&rows[0])
{
    return key.empty() ? nullptr : findRow(rows, &std::ranges::range_value_t<Rows>::replyKey, key);
}

std::string errorsText(const Errors& e)
{
    // Fan, lamp, temperature, cover, filter, other.
    return {'0', e.lamp, e.temperature, '0', '0', e.other};
}

std::string lampsText(const Outcome& hours, const Outcome& lamps)
{
    if (knownKey(lamps, lampStatusTable).empty())
        return std::string(projectorFailure);
    // Second reply character: a hex mask of the lamps lit, bit 0 lamp No1.
    unsigned lit = 0;
    const char mask = lamps.reply[1];
    std::from_chars(&mask, &mask + 1, lit, 16);
    std::string text;
    const std::array<int, 4> hourList = lampHours(hours.reply);
    for (std::size_t lamp = 0; lamp < hourList.size(); ++lamp) {
        if (lamp > 0)
            text += ' ';
        text += std::to_string(hourList[lamp]);
        text += (lit >> lamp) & 1u ? " 1" : " 0";
    }
    return text;
}

} // namespace

std::optional<Setting> findSetting(std::string_view body, std::string_view parameter)
{
    for (const Setting& s : settings) {
        if (s.body == body && s.parameter == parameter)
            return s;
    }
    if (body == "INPT") {
        for (const InputMapping& input : inputs) {
            if (input.pjlink == parameter)
                return Setting{body, input.pjlink, input.button, Needs::On};
        }
    }
    return std::nullopt;
}

std::optional<PowerMeaning> powerOf(const Outcome& status)
{
    if (status.kind != Outcome::Kind::Answered)
        return std::nullopt;
    if (const PowerMeaning* meaning = findByKey(powerMeanings, knownKey(status, powerStatusTable)))
        return *meaning;
    return std::nullopt;
}

std::array<int, 4> lampHours(std::string_view reply)
{
    if (reply.ends_with(carriageReturn))
        reply.remove_suffix(1);
    std::array<int, 4> hours{};
    std::size_t at = 0;
    for (std::size_t lamp = 0; lamp < hours.size(); ++lamp) {
        if (lamp > 0 && (at >= reply.size() || reply[at++] != ' '))
            return {};
        const char* first = reply.data() + at;
        const auto [end, error] = std::from_chars(first, reply.data() + reply.size(), hours[lamp]);
        // PJLink counts up to five digits; no sign, nothing else.
        if (error != std::errc() || end == first || end - first > 5 || *first == '-')
            return {};
        at = static_cast<std::size_t>(end - reply.data());
    }
    return at == reply.size() ? hours : std::array<int, 4>{};
}

std::string answerQuery(const CommandRow& row, std::span<const Outcome> replies, std::string_view name)
{
    const auto failure = std::string(projectorFailure);
    switch (row.reading) {
    case Reading::Power: {
        const auto meaning = powerOf(replies[0]);
        if (!meaning || meaning->power == Power::Failed)
            return failure;
        return std::string(1, static_cast<char>(meaning->power));
    }
    case Reading::Errors: {
        const auto meaning = powerOf(replies[0]);
        return meaning ? errorsText(meaning->errors) : failure;
    }
    case Reading::Input: {
        const InputMapping* input = findByKey(inputs, knownKey(replies[0], inputModeTable));
        return input ? std::string(input->pjlink) : failure;
    }
    case Reading::Mute: {
        const MuteMeaning* mute = findByKey(muteMeanings, knownKey(replies[0], muteSignalTable));
        if (!mute)
            return failure;
        return std::string(mute->avmt.value_or(unavailableTime));
    }
    case Reading::Lamps:
        return lampsText(replies[0], replies[1]);
    case Reading::InputList: {
        std::string list;
        for (const InputMapping& input : inputs)
            list.append(list.empty() ? "" : " ").append(input.pjlink);
        return list;
    }
    case Reading::Name:
        return std::string(name);
    case Reading::Manufacturer:
        return std::string(manufacturer);
    case Reading::Product:
        return std::string(product);
    case Reading::OtherInformation:
        return std::string(otherInformation);
    case Reading::Class:
        return std::string(pjlinkClass);
    }
    return failure;
}

} // namespace qm5::pjlink
