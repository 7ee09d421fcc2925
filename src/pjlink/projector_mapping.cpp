#include "pjlink/projector_mapping.hpp"

#include "pjlink/pjlink_command.hpp"
#include "protocol/frame.hpp"
#include "protocol/lamp_table.hpp"
#include "protocol/transcript.hpp"

namespace qm5::pjlink {

namespace {

std::string errorsText(const PowerReading& power)
{
    const ErrorStatus status = errorStatusOf(power);
    return std::string(status.digits.begin(), status.digits.end());
}

// Each lamp's hours and whether it is lit: "120 1 340 0 ...".
std::string lampsText(const Outcome& hours, const Outcome& lamps)
{
    const auto hourList = readLampHours(hours.reply);
    const auto status = readLampStatus(lamps.reply);
    if (!hourList || !status)
        return std::string(projectorFailure);
    std::string text;
    for (std::size_t lamp = 0; lamp < lampCount; ++lamp) {
        if (lamp > 0)
            text += ' ';
        text += std::to_string((*hourList)[lamp]) + (status->lit[lamp] ? " 1" : " 0");
    }
    return text;
}

// AVMT's answer of a mute reading: x1 for a mute on, x0 for none; none
// while no picture is shown.
std::optional<std::string> avmtOf(const MuteReading& mute)
{
    if (mute.signal != MuteReading::Signal::Present)
        return std::nullopt;
    if (mute.video && mute.audio)
        return "31";
    return mute.video ? "11" : mute.audio ? "21" : "30";
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

std::optional<PowerReading> powerOf(const Outcome& status)
{
    return status.kind == Outcome::Kind::Answered ? readPower(status.reply) : std::nullopt;
}

std::string answerQuery(const CommandRow& row, std::span<const Outcome> replies, std::string_view name)
{
    const auto failure = std::string(projectorFailure);
    switch (row.reading) {
    case Reading::Power: {
        const auto power = powerOf(replies[0]);
        const auto digit = power ? pjlinkPower(power->state) : std::nullopt;
        return digit ? std::string(1, *digit) : failure;
    }
    case Reading::Errors: {
        const auto power = powerOf(replies[0]);
        return power ? errorsText(*power) : failure;
    }
    case Reading::Input: {
        const auto input = readInput(replies[0].reply);
        return input ? std::string(inputs[static_cast<std::size_t>(*input - 1)].pjlink) : failure;
    }
    case Reading::Mute: {
        const auto mute = readMute(replies[0].reply);
        if (!mute)
            return failure;
        return avmtOf(*mute).value_or(std::string(unavailableTime));
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
