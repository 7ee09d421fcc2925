#include "pjlink/bounded_listener.hpp"

namespace qm5::pjlink {

BoundedListener::BoundedListener(int maxClients, MakeClient makeClient, QObject* parent)
    : QObject(parent)
    , maxClients_(maxClients)
    , makeClient_(std::move(makeClient))
{
    connect(&server_, &QTcpServer::newConnection, this, &BoundedListener::accept);
}

void BoundedListener::accept()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (clients_ >= maxClients_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++clients_;
        QObject* client = makeClient_(socket);
        connect(client, &QObject::destroyed, this, [this] { --clients_; });
    }
}

} // namespace qm5::pjlink
