#include "pjlink/projector_mapping.hpp"

#include "pjlink/pjlink_command.hpp"

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

std::string inputList()
{
    std::string list;
    for (const InputMapping& input : inputs)
        list.append(list.empty() ? "" : " ").append(input.pjlink);
    return list;
}

// The input resolution, which the projector never tells: "*" for a signal
// of a resolution unknown, "-" for none; ERR3 while no picture is shown.
std::string inputResolution(const Outcome& mute)
{
    const auto reading = readMute(mute.reply);
    if (!reading)
        return std::string(projectorFailure);
    switch (reading->signal) {
    case MuteReading::Signal::Present:
        return "*";
    case MuteReading::Signal::None:
        return "-";
    case MuteReading::Signal::Standby:
        break;
    }
    return std::string(unavailableTime);
}

std::string inputName(const ProjectorFacts& facts, std::string_view parameter)
{
    const auto input = inputNameAsked(parameter);
    const auto named = input ? facts.inputNames.find(std::string(*input)) : facts.inputNames.end();
    return named != facts.inputNames.end() ? named->second : std::string(outOfParameter);
}

// The answer of a query that reads nothing from the line.
std::string answerFromFacts(Reading reading, const ProjectorFacts& facts, std::string_view parameter)
{
    switch (reading) {
    case Reading::InputList:
        return inputList();
    case Reading::Name:
        return facts.name;
    case Reading::Manufacturer:
        return std::string(manufacturer);
    case Reading::Product:
        return std::string(product);
    case Reading::OtherInformation:
        return std::string(otherInformation);
    case Reading::Class:
        return std::string(pjlinkClass);
    case Reading::SerialNumber:
        return facts.serialNumber;
    case Reading::SoftwareVersion:
    case Reading::RecommendedResolution:
        return {}; // the projector tells neither
    case Reading::InputName:
        return inputName(facts, parameter);
    case Reading::FilterTime:
        return "0"; // a filter time the projector does not count
    case Reading::LampModel:
        return facts.lampModel;
    case Reading::FilterModel:
        return facts.filterModel;
    case Reading::Freeze:
        return facts.frozen ? "1" : "0";
    default:
        break;
    }
    return std::string(outOfParameter);
}

} // namespace

const CommandRow* findCommand(char classDigit, std::string_view body)
{
    const CommandRow* row = findRow(commands, &CommandRow::body, body);
    if (!row || body == "SRCH" || body == "LKUP")
        return nullptr;
    if (classDigit == '1')
        return row; // a Class 2 command under "%1" too: see the header
    return classDigit == '2' && (row->classes & classTwo) ? row : nullptr;
}

std::optional<Setting> findSetting(std::string_view body, std::string_view parameter)
{
    for (const Setting& s : settings) {
        if (s.body == body && s.parameter == parameter)
            return s;
    }
    if (body == "INPT") {
        // Views into the tables only: a setting outlives the command line it came from.
        if (const InputMapping* input = findRow(inputs, &InputMapping::pjlink, parameter))
            return Setting{"INPT", input->pjlink, input->button, Needs::On};
    }
    return std::nullopt;
}

std::optional<PowerReading> powerOf(const Outcome& status)
{
    return status.kind == Outcome::Kind::Answered ? readPower(status.reply) : std::nullopt;
}

std::optional<std::string_view> inputNameAsked(std::string_view parameter)
{
    if (parameter.size() < 2 || parameter[0] != '?')
        return std::nullopt;
    return parameter.substr(1);
}

std::string avmtOf(const MuteReading& mute)
{
    if (mute.video && mute.audio)
        return "31";
    return mute.video ? "11" : mute.audio ? "21" : "30";
}

std::string answerQuery(
    const CommandRow& row, std::span<const Outcome> replies, const ProjectorFacts& facts, std::string_view parameter)
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
        // Without a picture the projector tells no mutes: the ones last known stand.
        if (mute->signal != MuteReading::Signal::Present)
            return avmtOf(facts.knownMutes.value_or(MuteReading{}));
        return avmtOf(*mute);
    }
    case Reading::Lamps:
        return lampsText(replies[0], replies[1]);
    case Reading::InputResolution:
        return inputResolution(replies[0]);
    default:
        break;
    }
    return answerFromFacts(row.reading, facts, parameter);
}

} // namespace qm5::pjlink
