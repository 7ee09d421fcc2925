#pragma once
// qm5-pjlink's working parts: one exchange queue on the one serial line,
// shared by every projector and every client, and a PJLink port for each
// projector on the line.

#include <QHostAddress>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/serial_control.hpp"
#include "core/timer.hpp"
#include "link/exchange_queue.hpp"
#include "pjlink/cached_line.hpp"
#include "pjlink/pjlink_command.hpp"
#include "protocol/line_settings.hpp"

namespace qm5::pjlink {

class PjlinkProjector;
class PjlinkServer;

struct ProjectorPort {
    std::string prefix; // address prefix on the line: "" or "A001" to "A004"
    std::string name;   // NAME's answer
    quint16 tcpPort = standardPort;
};

struct GatewayConfig {
    // The serial side.
    std::string device;
    std::string lineSettings{startSettings};
    // The network side.
    QHostAddress listenAddress{QHostAddress::LocalHost};
    std::vector<ProjectorPort> projectors;
    std::optional<std::string> password;
    int idleMs = idleCloseMs;
    int maxClients = 8;
    int resultMaxAgeMs = 1000; // queries answered from results younger than this
};

class Gateway {
public:
    using Log = std::function<void(const std::string&)>;

    Gateway(SerialControl& serial, Clock& clock, const GatewayConfig& config, Log log = {});
    ~Gateway();
    Gateway(const Gateway&) = delete;
    Gateway& operator=(const Gateway&) = delete;

    // Listens on every projector's port; the reason when one cannot.
    std::optional<std::string> listen();
    // The port each projector listens on, in the order configured.
    std::vector<quint16> ports() const;
    // Clients connected to each projector's port.
    std::vector<int> clientCounts() const;

private:
    const GatewayConfig config_;
    Log log_;
    ExchangeQueue queue_;
    CachedLine line_;
    std::vector<std::unique_ptr<PjlinkProjector>> projectors_;
    std::vector<std::unique_ptr<PjlinkServer>> servers_;
};

} // namespace qm5::pjlink
