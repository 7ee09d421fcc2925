#include "cli/result_line.hpp"

#include <QJsonDocument>
#include <QJsonObject>

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
