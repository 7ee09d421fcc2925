#include "cli/result_line.hpp"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "protocol/readings.hpp"
#include "protocol/transcript.hpp"

namespace qm5::cli {

namespace {

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

QString qs(const std::string& text)
{
    // Frames and replies are bytes; Latin-1 keeps every one of them.
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

const char* outcomeName(Outcome::Kind kind)
{
    switch (kind) {
    case Outcome::Kind::Answered:
        return "answered";
    case Outcome::Kind::Acknowledged:
        return "acknowledged";
    case Outcome::Kind::Refused:
        return "refused";
    case Outcome::Kind::Missing:
        return "missing";
    case Outcome::Kind::SentToAll:
        return "sent to all";
    case Outcome::Kind::NotSent:
        break;
    }
    return "not sent";
}

template <typename Values> QJsonArray array(const Values& values)
{
    QJsonArray out;
    for (const auto& value : values)
        out.append(value);
    return out;
}

QString name(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QJsonObject muteValues(const MuteReading& mute)
{
    switch (mute.signal) {
    case MuteReading::Signal::Present:
        break;
    case MuteReading::Signal::None:
        return {{"signal", "none"}};
    case MuteReading::Signal::Standby:
        return {{"signal", "standby"}};
    }
    return {{"signal", "present"}, {"video_muted", mute.video}, {"audio_muted", mute.audio}};
}

// The reading of a status query's reply; empty for anything else, and for a
// reply of a shape no reading is known for.
QJsonObject valuesOf(std::string_view command, std::string_view reply)
{
    if (command == "CR0") {
        if (const auto power = readPower(reply)) {
            QJsonArray warnings;
            for (std::string_view warning : warningNames(*power))
                warnings.append(name(warning));
            return {{"power", name(powerStateName(power->state))}, {"warnings", warnings}};
        }
    } else if (command == "CR1") {
        if (const auto input = readInput(reply))
            return {{"input", *input}};
    } else if (command == "CR4") {
        if (const auto o = readOrientation(reply))
            return {{"top_bottom_reversed", o->topBottomReversed}, {"left_right_reversed", o->leftRightReversed}};
    } else if (command == "CRA") {
        if (const auto mute = readMute(reply))
            return muteValues(*mute);
    } else if (command == "CR7") {
        if (const auto lamps = readLampStatus(reply))
            return {{"lamp_mode", name(lampModeName(lamps->mode))}, {"lamps_on", array(lamps->lit)}};
    } else if (command == "CR3") {
        if (const auto hours = readLampHours(reply))
            return {{"lamp_hours", array(*hours)}};
    } else if (command == "CR6") {
        if (const auto temperatures = readTemperatures(reply))
            return {{"temperatures_celsius", array(*temperatures)}};
    } else if (command == "CR PRESSURE") {
        if (const auto hpa = readPressureHpa(reply))
            return {{"pressure_hpa", *hpa}};
    }
    return {};
}

} // namespace

ExitStatus exitStatusOf(Outcome::Kind kind)
{
    switch (kind) {
    case Outcome::Kind::Answered:
    case Outcome::Kind::Acknowledged:
    case Outcome::Kind::SentToAll:
        return allAnswered;
    case Outcome::Kind::Refused:
    case Outcome::Kind::Missing:
        return notCarriedOut;
    case Outcome::Kind::NotSent:
        break;
    }
    return lineNotOpened;
}

std::string textLine(const Step& step, const Outcome& outcome)
{
    switch (outcome.kind) {
    case Outcome::Kind::Answered:
        return trimmed(outcome.status ? *outcome.status : renderTranscript(outcome.reply));
    case Outcome::Kind::Acknowledged:
        return "ACK";
    case Outcome::Kind::Refused:
        return "NAK";
    case Outcome::Kind::SentToAll:
        return "sent to all";
    case Outcome::Kind::Missing: {
        std::string line = "no reply within " + std::to_string(step.replyWindowMs) + " ms";
        // A reply cut short is still shown: it tells a wrong speed from a dead line.
        if (!outcome.reply.empty())
            line += " (got only " + trimmed(renderTranscript(outcome.reply)) + ")";
        return line;
    }
    case Outcome::Kind::NotSent:
        break;
    }
    return "not sent: " + explainOpenFailure(outcome.error);
}

std::string jsonLine(const Step& step, const Outcome& outcome, const std::string& address, const QDateTime& at)
{
    QJsonObject object{
        // Local time with its offset, so a log read elsewhere is not ambiguous.
        {"time", at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODateWithMs)},
        {"address", QString::fromStdString(address)},
        {"command", qs(step.name)},
        {"frame", qs(outcome.frame)},
        {"reply", qs(renderTranscript(outcome.reply))},
        {"status", outcome.status ? QJsonValue(qs(trimmed(*outcome.status))) : QJsonValue(QJsonValue::Null)},
        {"ok", exitStatusOf(outcome.kind) == allAnswered},
        {"outcome", outcomeName(outcome.kind)},
        {"values", outcome.kind == Outcome::Kind::Answered ? valuesOf(step.command, outcome.reply) : QJsonObject()},
    };
    if (!outcome.error.empty())
        object.insert("error", qs(explainOpenFailure(outcome.error)));
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

std::string explainOpenFailure(const std::string& error)
{
    // QSerialPort's words for a port whose lock file another process holds,
    // and for a device the user may not open.
    if (error.find("locking the device") != std::string::npos)
        return error + " (the line is held by another program, such as the running panel)";
    if (error.find("Permission denied") != std::string::npos)
        return error + " (is this user in the dialout group?)";
    return error;
}

} // namespace qm5::cli
