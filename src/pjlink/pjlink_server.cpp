#include "pjlink/pjlink_server.hpp"

#include <QCryptographicHash>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

#include "pjlink/pjlink_command.hpp"
#include "pjlink/pjlink_projector.hpp"
#include "pjlink/projector_mapping.hpp"

namespace qm5::pjlink {

namespace {

// Lines waiting in the socket beyond the one being read: enough for a client
// that sends its next command early, small enough that a flood stalls in TCP.
constexpr qint64 readBufferBytes = 4 * maxLineBytes;
// A client that does not read its answers stops being served at this much.
constexpr qint64 maxUnsentBytes = 4 * maxLineBytes;
constexpr int closeGraceMs = 1000;

// Whether a digest as a client sent it is the one expected: as the same
// number in hex, so leading zeros may be left out (openHAB writes the digest
// as a number and drops them) and either case is fine. Nothing else is
// taken: at most 32 hex digits, at least one.
bool sameDigest(std::string_view sent, std::string_view expected)
{
    if (sent.empty() || sent.size() > digestLength)
        return false;
    const auto significant = [](std::string_view hex) {
        return hex.substr(std::min(hex.find_first_not_of('0'), hex.size()));
    };
    const std::string_view a = significant(sent);
    const std::string_view b = significant(expected);
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char c = a[i] >= 'A' && a[i] <= 'F' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (c != b[i])
            return false;
    }
    return true;
}

class Client : public QObject {
public:
    Client(QTcpSocket* socket, PjlinkProjector& projector, int idleMs, const std::optional<std::string>& password,
        std::function<void(const QHostAddress&)> seen, QObject* parent)
        : QObject(parent)
        , socket_(socket)
        , projector_(projector)
        , seen_(std::move(seen))
    {
        socket_->setParent(this);
        socket_->setReadBufferSize(readBufferBytes);
        idle_.setSingleShot(true);
        idle_.setInterval(idleMs);
        connect(&idle_, &QTimer::timeout, this, &Client::close);
        connect(socket_, &QTcpSocket::readyRead, this, &Client::readLines);
        connect(socket_, &QTcpSocket::bytesWritten, this, &Client::readLines);
        connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        if (password) {
            const auto random = QString::asprintf("%08x", QRandomGenerator::system()->generate()).toStdString();
            expectedDigest_ =
                QCryptographicHash::hash(QByteArray::fromStdString(random + *password), QCryptographicHash::Md5)
                    .toHex()
                    .toStdString();
            write(std::string(passwordGreeting) + random + terminator);
        } else {
            write(std::string(noPasswordGreeting) + terminator);
        }
        idle_.start();
    }

private:
    bool authenticated() const { return expectedDigest_.empty() || authenticated_; }
    // With a password any line may carry the digest: Companion sends it in
    // front of every command.
    std::size_t lineLimit() const { return maxLineBytes - 1 + (expectedDigest_.empty() ? 0 : digestLength); }

    void write(const std::string& bytes) { socket_->write(bytes.data(), static_cast<qint64>(bytes.size())); }

    // Takes whole lines one at a time; the next waits until the last is answered.
    void readLines()
    {
        if (reading_)
            return;
        reading_ = true;
        while (!busy_ && !closing_ && socket_->bytesToWrite() <= maxUnsentBytes) {
            const std::size_t end = pending_.find(terminator);
            if (end == std::string::npos) {
                if (pending_.size() > lineLimit()) {
                    if (skipping_)
                        pending_.clear();
                    else
                        tooLong();
                    continue;
                }
                const QByteArray more = socket_->read(static_cast<qint64>(lineLimit() + 1 - pending_.size()));
                if (more.isEmpty())
                    break;
                pending_.append(more.constData(), static_cast<std::size_t>(more.size()));
                continue;
            }
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (std::exchange(skipping_, false))
                continue;
            take(line);
        }
        reading_ = false;
    }

    void take(std::string_view line)
    {
        // A CR LF client leaves an LF at the start of the next line.
        while (line.starts_with('\n'))
            line.remove_prefix(1);
        if (line.empty())
            return;
        if (!expectedDigest_.empty()) {
            // The digest stands before the command's "%": needed on the
            // first line, checked again whenever a later one carries it.
            const std::string_view digest = line.substr(0, line.find('%'));
            if ((!authenticated_ || !digest.empty()) && !sameDigest(digest, expectedDigest_))
                return refuse(std::string(wrongPassword) + terminator);
            authenticated_ = true;
            line.remove_prefix(digest.size());
            if (line.empty())
                return;
        }
        const auto command = parseCommand(line);
        if (!command)
            return refuse({}); // not PJLink: nothing to answer
        busy_ = true;
        idle_.stop();
        QPointer<Client> self(this);
        projector_.handle(*command, [self, command = *command](const std::string& value) {
            if (self)
                self->answered(answerLine(command, value));
        });
    }

    void answered(const std::string& line)
    {
        write(line);
        if (seen_)
            seen_(socket_->peerAddress());
        busy_ = false;
        idle_.start();
        readLines();
    }

    // PJLink's answer to a parameter longer than it allows, and the rest of
    // the line is dropped as it comes.
    void tooLong()
    {
        const std::string_view line = std::string_view(pending_).substr(std::min(pending_.find('%'), pending_.size()));
        const auto command = authenticated() ? parseCommand(line) : std::nullopt;
        pending_.clear();
        if (!command)
            return refuse(authenticated() ? std::string() : std::string(wrongPassword) + terminator);
        const bool known = findCommand(command->classDigit, command->body) != nullptr;
        write(answerLine(*command, known ? outOfParameter : undefinedCommand));
        skipping_ = true;
    }

    void refuse(const std::string& last)
    {
        if (!last.empty())
            write(last);
        close();
    }

    void close()
    {
        if (std::exchange(closing_, true))
            return;
        idle_.stop();
        socket_->disconnectFromHost();
        // A client that does not read keeps unsent bytes from ever leaving.
        QTimer::singleShot(closeGraceMs, this, [this] {
            socket_->abort();
            deleteLater();
        });
    }

    QTcpSocket* socket_;
    PjlinkProjector& projector_;
    std::function<void(const QHostAddress&)> seen_;
    QTimer idle_;
    std::string expectedDigest_; // empty without a password
    bool authenticated_ = false;
    std::string pending_;
    bool busy_ = false;
    bool reading_ = false;
    bool skipping_ = false;
    bool closing_ = false;
};

} // namespace

PjlinkServer::PjlinkServer(
    PjlinkProjector& projector, ServerLimits limits, std::optional<std::string> password, QObject* parent)
    : QObject(parent)
    , password_(std::move(password))
    , listener_(limits.maxClients, [this, &projector, limits](QTcpSocket* socket) {
        return new Client(socket, projector, limits.idleMs, password_, controllerSeen_, this);
    })
{ }

} // namespace qm5::pjlink
