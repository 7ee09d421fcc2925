#pragma once
// A TCP listener that serves a bounded number of clients: one more than the
// limit is closed at once, unanswered. Each accepted connection is handed to
// a client object the owner makes, counted while that object lives.

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

namespace qm5::pjlink {

class BoundedListener : public QObject {
public:
    // Makes the client that owns the socket from now on.
    using MakeClient = std::function<QObject*(QTcpSocket* socket)>;

    BoundedListener(int maxClients, MakeClient makeClient, QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port) { return server_.listen(address, port); }
    QString errorString() const { return server_.errorString(); }
    quint16 port() const { return server_.serverPort(); }
    int clientCount() const { return clients_; }

private:
    void accept();

    QTcpServer server_;
    int maxClients_;
    MakeClient makeClient_;
    int clients_ = 0;
};

} // namespace qm5::pjlink
