#pragma once
// A PJLink client on the test's event loop: whole lines in, whole lines out.

#include <QCryptographicHash>
#include <QHostAddress>
#include <QTcpSocket>

#include <string>

#include "rig/eventually.hpp"

namespace qm5::test {

// The digest a client sends: MD5 of the greeting's random number and the
// password, in lower-case hex.
inline QByteArray md5Hex(const std::string& text)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Md5).toHex();
}

class PjlinkClient {
public:
    static constexpr const char* closed = "<closed>";

    explicit PjlinkClient(quint16 port, const QHostAddress& host = QHostAddress::LocalHost)
    {
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { buffer_ += socket_.readAll().toStdString(); });
        socket_.connectToHost(host, port);
    }
    void send(const std::string& bytes) { socket_.write(bytes.data(), static_cast<qint64>(bytes.size())); }
    // The next line without its CR, "<closed>" once the gateway has hung up,
    // "<nothing>" when nothing came in time.
    std::string line(int timeoutMs = waitMs)
    {
        runLoopUntil([&] { return buffer_.find('\r') != std::string::npos || isClosed(); }, timeoutMs);
        const std::size_t end = buffer_.find('\r');
        if (end == std::string::npos)
            return isClosed() ? std::string(closed) : "<nothing>";
        std::string text = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return text;
    }
    std::string ask(const std::string& command)
    {
        send(command + "\r");
        return line();
    }
    bool isClosed() const { return socket_.state() == QAbstractSocket::UnconnectedState; }

private:
    QTcpSocket socket_;
    std::string buffer_;
};

} // namespace qm5::test
