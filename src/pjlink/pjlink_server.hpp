#pragma once
// PJLink Class 1 on one TCP port for one projector: the greeting, the MD5
// password check, one command line at a time, and the bounds: a line longer
// than PJLink allows, bytes that are not PJLink, a client that stops
// mid-line or never authenticates, too many clients. Nothing buffers more
// than a line or two per client.

#include "pjlink/bounded_listener.hpp"
#include <QHostAddress>
#include <QObject>

#include <functional>
#include <optional>
#include <string>

namespace qm5::pjlink {

class PjlinkProjector;

struct ServerLimits {
    int idleMs;     // a client quiet this long is closed
    int maxClients; // one more is closed at once, unanswered
};

class PjlinkServer : public QObject {
public:
    PjlinkServer(PjlinkProjector& projector, ServerLimits limits, std::optional<std::string> password,
        QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port) { return listener_.listen(address, port); }
    QString errorString() const { return listener_.errorString(); }
    quint16 port() const { return listener_.port(); }
    int clientCount() const { return listener_.clientCount(); }
    // Told the address of every client whose command was answered.
    void setControllerSeen(std::function<void(const QHostAddress&)> seen) { controllerSeen_ = std::move(seen); }

private:
    std::optional<std::string> password_;
    std::function<void(const QHostAddress&)> controllerSeen_;
    BoundedListener listener_;
};

} // namespace qm5::pjlink
