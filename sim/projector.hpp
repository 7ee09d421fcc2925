#pragma once
// One virtual projector: the state its queries report, moved forward by the
// times passed in. No clock of its own, so every sequence can be replayed exactly.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "command_table.hpp"
#include "names.hpp"

namespace qm5::sim {

// A fault or warning the projector reports in its power status, whatever
// commands it is given, or a missing input signal, which its mute query
// reports while it is on. Set by tests and by the virtual projector's options.
enum class Condition : std::uint8_t {
    None,
    PowerFail,
    TemperatureWarning, // "08" while lit, "28" cooling, "88" recovered in standby
    NoKeyInput,
    LampsOffByPowerManagement,
    LampsOffWithTemperatureWarning,
    AllLampsFailed, // "21" cooling, "81" in standby
    NoSignal,       // the mute query answers "80" while on
    SoundMuted,     // muted at the projector itself: the mute query answers "02" while on
};

// The names qm5-virtual-projector's --condition takes.
inline constexpr Names<Condition, 9> conditionNames = {{
    {"none", Condition::None},
    {"power-fail", Condition::PowerFail},
    {"temperature-warning", Condition::TemperatureWarning},
    {"no-key-input", Condition::NoKeyInput},
    {"lamps-off-by-power-management", Condition::LampsOffByPowerManagement},
    {"lamps-off-with-temperature-warning", Condition::LampsOffWithTemperatureWarning},
    {"all-lamps-failed", Condition::AllLampsFailed},
    {"no-signal", Condition::NoSignal},
    {"sound-muted", Condition::SoundMuted},
}};

constexpr std::optional<Condition> parseCondition(std::string_view name)
{
    return valueNamed(conditionNames, name);
}

enum class PowerState : std::uint8_t {
    Standby,
    CountDown,
    On,
    Cooling
};

struct ProjectorTiming {
    std::int64_t countDownMs = 3000; // "40" after power on, before "00"
    std::int64_t coolingMs = 5000;   // "20" after power off, before "80"
};

class Projector {
public:
    static constexpr char ack = 6;
    static constexpr char nak = 21;
    static constexpr char cr = 13;
    static constexpr int lampCount = 4;
    static constexpr int maxLampHours = 9999;   // four digits per lamp in the reply
    static constexpr int pressureReading = 853; // raw sensor value, about 1013 hPa

    // address: 1 to 4, the number behind the "A00n" prefix.
    explicit Projector(int address, ProjectorTiming timing = {});

    int address() const { return address_; }

    // Carries out one command text (prefix and CR already removed) at nowMs and
    // returns the reply: a query's answer ending in CR, ACK for any other known
    // command, NAK for an unknown one.
    std::string execute(std::string_view command, std::int64_t nowMs);

    // Moves the power sequence and the lamp hours forward to nowMs. Earlier
    // times than the last one seen are ignored.
    void advance(std::int64_t nowMs);

    PowerState power() const { return power_; }
    int lampMode() const { return lampMode_; }
    // Bit 0 is lamp No1 ... bit 3 lamp No4.
    unsigned lampsLit() const;
    int input() const { return input_; }
    // The source word input 1..4 takes, e.g. "S-VIDEO".
    std::string_view inputSource(int input) const;
    bool noShow() const { return videoMute_; }
    bool fanMax() const { return fanMax_; }
    int setting(Setting s) const { return settings_[static_cast<std::size_t>(s)]; }
    void setCondition(Condition c) { condition_ = c; }

private:
    std::string answer(int query) const;
    int lampHours(int lamp) const;
    std::string lampHoursText() const;
    std::string powerStatus() const;
    std::string temperaturesText() const;
    void accrueLampTime(std::int64_t untilMs);
    void startTransition(PowerState through, std::int64_t lengthMs, std::int64_t nowMs);

    int address_;
    ProjectorTiming timing_;
    std::int64_t clockMs_ = 0;
    PowerState power_ = PowerState::Standby;
    std::int64_t transitionEndMs_ = 0; // end of CountDown or Cooling
    int lampMode_ = 0;
    int input_ = 1;
    std::array<std::uint8_t, 4> inputSource_{};
    bool videoMute_ = false;
    bool audioMute_ = false;
    bool fanMax_ = false;
    std::array<int, settingCount> settings_{};
    Condition condition_ = Condition::None;
    std::array<std::int64_t, lampCount> lampMs_{};
};

} // namespace qm5::sim
