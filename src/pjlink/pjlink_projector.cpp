#include "pjlink/pjlink_projector.hpp"

namespace qm5::pjlink {

namespace {

// The state a POWR setting asks for is there already, or on its way.
bool alreadyThere(const Setting& setting, PowerState state)
{
    if (setting.body != "POWR")
        return false;
    if (setting.parameter == "1")
        return state == PowerState::On || state == PowerState::Warming;
    return state == PowerState::Standby || state == PowerState::Cooling;
}

} // namespace

PjlinkProjector::PjlinkProjector(CachedLine& line, std::string prefix, ProjectorFacts facts)
    : line_(line)
    , prefix_(std::move(prefix))
    , facts_(std::move(facts))
{ }

void PjlinkProjector::handle(const Command& command, Answer answer)
{
    const CommandRow* row = findCommand(command.classDigit, command.body);
    if (!row || row->reading == Reading::Absent)
        return answer(std::string(undefinedCommand));
    if (command.isGet() || (row->reading == Reading::InputName && command.hasSeparator))
        return read(*row, command.parameter, std::move(answer));
    const auto setting = row->settable ? findSetting(command.body, command.parameter) : std::nullopt;
    if (!setting)
        return answer(std::string(outOfParameter));
    apply(*setting, std::move(answer));
}

void PjlinkProjector::readingsChanged(
    std::string_view button, const ProjectorReadings& before, const ProjectorReadings& after)
{
    if (button == controls::muteQuery && after.mute->signal == MuteReading::Signal::Present)
        facts_.knownMutes = after.mute;
    const auto isOff = [](const ProjectorReadings& r) {
        return r.power && (r.power->state == PowerState::Standby || r.power->state == PowerState::Cooling);
    };
    if (isOff(after) && !isOff(before))
        switchedOff();
}

void PjlinkProjector::read(const CommandRow& row, std::string parameter, Answer answer)
{
    readFrom(row, 0, std::make_shared<std::vector<Outcome>>(), std::move(parameter), std::move(answer));
}

void PjlinkProjector::readFrom(const CommandRow& row, std::size_t next, std::shared_ptr<std::vector<Outcome>> replies,
    std::string parameter, Answer answer)
{
    if (next == row.reads.size() || row.reads[next].empty())
        return answer(answerQuery(row, *replies, facts_, parameter));
    line_.query(prefix_, row.reads[next],
        [this, &row, next, replies, parameter = std::move(parameter), answer](const Outcome& outcome) {
            // No use asking the rest when one reply is missing.
            if (outcome.kind != Outcome::Kind::Answered)
                return answer(std::string(projectorFailure));
            replies->push_back(outcome);
            readFrom(row, next + 1, replies, parameter, answer);
        });
}

void PjlinkProjector::apply(const Setting& setting, Answer answer)
{
    line_.query(prefix_, controls::statusQuery, [this, setting, answer](const Outcome& status) {
        const auto power = powerOf(status);
        if (!power || power->state == PowerState::Fail)
            return answer(std::string(projectorFailure));
        if (alreadyThere(setting, power->state))
            return answer(std::string(ok));
        const bool moving = power->state == PowerState::Warming || power->state == PowerState::Cooling;
        const bool ready = setting.needs == Needs::On ? power->state == PowerState::On : !moving;
        if (!ready)
            return answer(std::string(unavailableTime));
        line_.send(prefix_, setting.button, [this, setting, answer](const Outcome& outcome) {
            switch (outcome.kind) {
            case Outcome::Kind::Acknowledged:
                applied(setting);
                return answer(std::string(ok));
            case Outcome::Kind::Refused: // the projector would not take it now
                return answer(std::string(unavailableTime));
            default:
                return answer(std::string(projectorFailure));
            }
        });
    });
}

void PjlinkProjector::applied(const Setting& setting)
{
    const bool on = setting.parameter.ends_with('1');
    if (setting.body == "AVMT")
        facts_.knownMutes = MuteReading{MuteReading::Signal::Present, on, on};
    else if (setting.body == "FREZ")
        facts_.frozen = on;
    else if (setting.body == "POWR")
        switchedOff(); // on or off, the picture starts afresh
}

void PjlinkProjector::switchedOff()
{
    // Mutes and freeze belong to the picture, which ends with the power.
    facts_.knownMutes.reset();
    facts_.frozen = false;
}

} // namespace qm5::pjlink
