#pragma once
// The metrics over HTTP: GET /metrics renders them, GET / names that path,
// any other path is 404 and any other method 405. A strict, bounded reader
// of GET requests on QTcpServer: a request line or header longer than
// 8 KiB, too many headers, a body, or a client idle for 10 s closes the
// connection, and only so many clients are served at once. Qt HTTP Server
// 6.4 bounds none of these.

#include "pjlink/bounded_listener.hpp"
#include <QHostAddress>
#include <QObject>

#include <functional>
#include <string>

namespace qm5::pjlink {

struct HttpLimits {
    int maxLineBytes = 8 * 1024;
    int maxHeaders = 64;
    int idleMs = 10'000;
    int maxClients = 16;
};

class MetricsServer : public QObject {
public:
    using Render = std::function<std::string()>;

    explicit MetricsServer(Render render, HttpLimits limits = {}, QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port) { return listener_.listen(address, port); }
    QString errorString() const { return listener_.errorString(); }
    quint16 port() const { return listener_.port(); }
    int clientCount() const { return listener_.clientCount(); }

private:
    Render render_;
    BoundedListener listener_;
};

} // namespace qm5::pjlink
