#include "pjlink/pjlink_projector.hpp"

namespace qm5::pjlink {

PjlinkProjector::PjlinkProjector(CachedLine& line, std::string prefix, std::string name)
    : line_(line)
    , prefix_(std::move(prefix))
    , name_(std::move(name))
{ }

void PjlinkProjector::handle(const Command& command, Answer answer)
{
    const CommandRow* row = command.classDigit == '1' ? findCommand(command.body) : nullptr;
    if (!row)
        return answer(std::string(undefinedCommand));
    if (command.isGet())
        return read(*row, std::move(answer));
    const auto setting = row->settable ? findSetting(command.body, command.parameter) : std::nullopt;
    if (!setting)
        return answer(std::string(outOfParameter));
    apply(*setting, std::move(answer));
}

void PjlinkProjector::read(const CommandRow& row, Answer answer)
{
    readFrom(row, 0, std::make_shared<std::vector<Outcome>>(), std::move(answer));
}

void PjlinkProjector::readFrom(
    const CommandRow& row, std::size_t next, std::shared_ptr<std::vector<Outcome>> replies, Answer answer)
{
    if (next == row.reads.size() || row.reads[next].empty())
        return answer(answerQuery(row, *replies, name_));
    line_.query(prefix_, row.reads[next], [this, &row, next, replies, answer](const Outcome& outcome) {
        // No use asking the rest when one reply is missing.
        if (outcome.kind != Outcome::Kind::Answered)
            return answer(std::string(projectorFailure));
        replies->push_back(outcome);
        readFrom(row, next + 1, replies, answer);
    });
}

void PjlinkProjector::apply(const Setting& setting, Answer answer)
{
    line_.query(prefix_, controls::statusQuery, [this, setting, answer](const Outcome& status) {
        const auto power = powerOf(status);
        if (!power || power->state == PowerState::Fail)
            return answer(std::string(projectorFailure));
        const bool moving = power->state == PowerState::Warming || power->state == PowerState::Cooling;
        const bool ready = setting.needs == Needs::On ? power->state == PowerState::On : !moving;
        if (!ready)
            return answer(std::string(unavailableTime));
        line_.send(prefix_, setting.button, [answer](const Outcome& outcome) {
            switch (outcome.kind) {
            case Outcome::Kind::Acknowledged:
                return answer(std::string(ok));
            case Outcome::Kind::Refused: // the projector would not take it now
                return answer(std::string(unavailableTime));
            default:
                return answer(std::string(projectorFailure));
            }
        });
    });
}

} // namespace qm5::pjlink
