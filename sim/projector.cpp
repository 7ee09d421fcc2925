#include "projector.hpp"

#include "command_table.hpp"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace qm5::sim {

namespace {

constexpr std::int64_t msPerHour = 3'600'000;

// Lamps each lamp mode uses; bit 0 is lamp No1.
constexpr std::array<unsigned, 3> modeLamps = {0xF, 0x9, 0x6};

// Hours already on the lamps of a fresh unit. They differ between addresses so
// a reply shows which projector gave it.
constexpr std::array<int, Projector::lampCount> startHours = {120, 340, 560, 780};

constexpr char hexDigits[] = "0123456789ABCDEF";

// Temperatures in tenths of a degree.
struct Temperatures {
    int intake;
    int exhaust;
};

} // namespace

Projector::Projector(int address, ProjectorTiming timing) : address_(address), timing_(timing)
{
    if (address < 1 || address > 4)
        throw std::invalid_argument("projector address must be 1 to 4");
    for (int lamp = 0; lamp < lampCount; ++lamp)
        lampMs_[lamp] = (startHours[lamp] + 1000 * (address - 1)) * msPerHour;
    inputSource_ = {0, 1, 2, 3};
}

unsigned Projector::lampsLit() const
{
    const bool lit = power_ == PowerState::CountDown || power_ == PowerState::On;
    return lit ? modeLamps[lampMode_] : 0;
}

std::string_view Projector::inputSource(int input) const
{
    return sourceWords[inputSource_.at(input - 1)];
}

int Projector::lampHours(int lamp) const
{
    const auto hours = lampMs_.at(lamp - 1) / msPerHour;
    return static_cast<int>(std::min<std::int64_t>(hours, maxLampHours));
}

void Projector::accrueLampTime(std::int64_t untilMs)
{
    const unsigned lit = lampsLit();
    for (int lamp = 0; lamp < lampCount; ++lamp) {
        if (lit & (1u << lamp))
            lampMs_[lamp] += untilMs - clockMs_;
    }
    clockMs_ = untilMs;
}

void Projector::advance(std::int64_t nowMs)
{
    if (nowMs <= clockMs_)
        return;
    // A transition that ended in between changes which lamps burn from then on.
    const bool moving = power_ == PowerState::CountDown || power_ == PowerState::Cooling;
    if (moving && transitionEndMs_ <= nowMs) {
        accrueLampTime(std::max(transitionEndMs_, clockMs_));
        power_ = power_ == PowerState::CountDown ? PowerState::On : PowerState::Standby;
    }
    accrueLampTime(nowMs);
}

void Projector::startTransition(PowerState through, std::int64_t lengthMs, std::int64_t nowMs)
{
    power_ = through;
    transitionEndMs_ = nowMs + lengthMs;
    // A sequence of no length is over at once.
    if (lengthMs <= 0)
        power_ = through == PowerState::CountDown ? PowerState::On : PowerState::Standby;
}

std::string Projector::execute(std::string_view text, std::int64_t nowMs)
{
    advance(nowMs);
    // A command stamped earlier than the last one seen happens now.
    nowMs = clockMs_;
    const auto command = lookupCommand(text);
    if (!command)
        return std::string(1, nak);

    switch (command->action) {
    case Action::PowerOn:
        // Ignored while cooling: the lamps must cool before they strike again.
        if (power_ == PowerState::Standby)
            startTransition(PowerState::CountDown, timing_.countDownMs, nowMs);
        break;
    case Action::PowerOff:
        if (power_ == PowerState::CountDown || power_ == PowerState::On) {
            videoMute_ = false;
            audioMute_ = false;
            startTransition(PowerState::Cooling, timing_.coolingMs, nowMs);
        }
        break;
    case Action::SelectInput:
        input_ = command->arg;
        break;
    case Action::SetInputSource:
        input_ = command->arg;
        inputSource_[command->arg - 1] = static_cast<std::uint8_t>(command->step);
        break;
    case Action::NoShowOn:
        if (power_ == PowerState::On) {
            videoMute_ = true;
            audioMute_ = true;
        }
        break;
    case Action::NoShowOff:
        videoMute_ = false;
        audioMute_ = false;
        break;
    case Action::LampMode:
        lampMode_ = command->arg;
        break;
    case Action::FanSpeed:
        fanMax_ = command->arg != 0;
        break;
    case Action::Set:
        settings_[static_cast<std::size_t>(command->arg)] = command->step;
        break;
    case Action::Step:
        settings_[static_cast<std::size_t>(command->arg)] += command->step;
        break;
    case Action::Query:
        return answer(command->arg) + cr;
    }
    return std::string(1, ack);
}

std::string Projector::lampHoursText() const
{
    // Four lamps of four digits each: exactly the 19 characters the panel shows.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d %04d %04d %04d", lampHours(1), lampHours(2), lampHours(3), lampHours(4));
    return buffer;
}

std::string Projector::temperaturesText() const
{
    Temperatures t{250, 250};
    switch (power_) {
    case PowerState::Standby:
        break;
    case PowerState::CountDown:
    case PowerState::Cooling:
        t = {300, 330};
        break;
    case PowerState::On:
        t = {355, lampMode_ == 0 ? 410 : 375};
        break;
    }
    if (fanMax_ && power_ != PowerState::Standby)
        t.exhaust -= 30;
    // Intake in characters 1 to 5, exhaust in 8 to 11: "035.5  41.0".
    char buffer[32];
    std::snprintf(
        buffer, sizeof buffer, "%03d.%d  %02d.%d", t.intake / 10, t.intake % 10, t.exhaust / 10, t.exhaust % 10);
    return buffer;
}

std::string Projector::powerStatus() const
{
    const bool lit = power_ == PowerState::On || power_ == PowerState::CountDown;
    switch (condition_) {
    case Condition::None:
    case Condition::NoSignal:
    case Condition::SoundMuted:
        break;
    case Condition::PowerFail:
        return "10";
    case Condition::TemperatureWarning:
        return lit ? "08" : power_ == PowerState::Cooling ? "28" : "88";
    case Condition::NoKeyInput:
        return "02";
    case Condition::LampsOffByPowerManagement:
        return "04";
    case Condition::LampsOffWithTemperatureWarning:
        return "24";
    case Condition::AllLampsFailed:
        return power_ == PowerState::Cooling ? "21" : "81";
    }
    switch (power_) {
    case PowerState::Standby:
        return "80";
    case PowerState::CountDown:
        return "40";
    case PowerState::On:
        return "00";
    case PowerState::Cooling:
        break;
    }
    return "20";
}

std::string Projector::answer(int query) const
{
    switch (static_cast<Query>(query)) {
    case Query::PowerStatus:
        return powerStatus();
    case Query::InputMode:
        return std::string(1, static_cast<char>('0' + input_));
    case Query::LampHours:
        return lampHoursText();
    case Query::Orientation:
        return "11";
    case Query::Temperatures:
        return temperaturesText();
    case Query::LampStatus:
        return {hexDigits[lampMode_], hexDigits[lampsLit()]};
    case Query::PcType:
        return "QM5";
    case Query::MuteStatus:
        if (power_ != PowerState::On)
            return "FF";
        if (condition_ == Condition::NoSignal)
            return "80";
        return {'0', hexDigits[(videoMute_ ? 1 : 0) | (audioMute_ || condition_ == Condition::SoundMuted ? 2 : 0)]};
    case Query::Pressure:
        return std::to_string(pressureReading);
    case Query::PowerFailInfo:
        return "0000";
    }
    return {};
}

} // namespace qm5::sim
