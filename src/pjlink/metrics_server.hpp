#pragma once
// The metrics over HTTP: GET /metrics renders them, GET / names that path,
// any other path is 404 and any other method 405. A strict, bounded reader
// of GET requests on QTcpServer: a request line or header longer than
// 8 KiB, too many headers, a body, or a client idle for 10 s closes the
// connection, and only so many clients are served at once. Qt HTTP Server
// 6.4 bounds none of these.

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

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

    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return server_.errorString(); }
    quint16 port() const { return server_.serverPort(); }
    int clientCount() const { return clients_; }

private:
    void acceptClients();

    Render render_;
    HttpLimits limits_;
    QTcpServer server_;
    int clients_ = 0;
};

} // namespace qm5::pjlink
