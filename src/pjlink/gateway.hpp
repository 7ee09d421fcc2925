#pragma once
// qm5-pjlink's working parts: one exchange queue on the one serial line,
// shared by every projector and every client, and a PJLink port for each
// projector on the line.

#include <QHostAddress>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/serial_control.hpp"
#include "core/timer.hpp"
#include "link/exchange_queue.hpp"
#include "pjlink/cached_line.hpp"
#include "pjlink/pjlink_command.hpp"
#include "pjlink/projector_watch.hpp"
#include "protocol/line_settings.hpp"

namespace qm5::pjlink {

class MetricsServer;
class PjlinkProjector;
class PjlinkServer;
class PjlinkUdp;
class Poller;

struct ProjectorPort {
    std::string prefix; // address prefix on the line: "" or "A001" to "A004"
    std::string name;   // NAME's answer
    quint16 tcpPort = standardPort;
    std::string address = "single"; // as --projector names it, for the metrics
    // An address of its own (an alias of the host's interface), so searches
    // find it and notifications come from it; else the gateway's.
    std::optional<QHostAddress> listenAddress{};
    std::string mac{};          // empty: derived from the host and the address
    std::string serialNumber{}; // SNUM's answer; empty when not known
};

struct MetricsEndpoint {
    QHostAddress address{QHostAddress::LocalHost};
    quint16 port = 0;
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
    int pollMs = 10'000;       // 0: no polling
    std::optional<MetricsEndpoint> metrics;
    // Class 2.
    std::map<std::string, std::string> inputNames; // INNM's answers; the panel's texts by default
    std::string lampModel;
    std::string filterModel;
    bool udp = true; // searches and notifications on UDP port 4352
    std::vector<QHostAddress> notify;
};

class Gateway {
public:
    using Log = std::function<void(const std::string&)>;

    Gateway(SerialControl& serial, Clock& clock, const GatewayConfig& config, Log log = {});
    ~Gateway();
    Gateway(const Gateway&) = delete;
    Gateway& operator=(const Gateway&) = delete;

    // Listens on every projector's port and the metrics' port, and starts
    // polling; the reason when one cannot listen.
    std::optional<std::string> listen();
    quint16 metricsPort() const;
    // Poll rounds finished so far.
    std::uint64_t pollRounds() const;
    std::string metrics() const;
    // The port each projector listens on, in the order configured.
    std::vector<quint16> ports() const;
    // Clients connected to each projector's port.
    std::vector<int> clientCounts() const;
    // The MAC each projector answers a search with; empty without UDP.
    std::vector<std::string> macs() const;

private:
    const GatewayConfig config_;
    Log log_;
    SerialControl& serial_;
    ExchangeQueue queue_;
    CachedLine line_;
    ProjectorWatch watch_;
    std::unique_ptr<Poller> poller_;
    std::unique_ptr<MetricsServer> metricsServer_;
    std::vector<std::unique_ptr<PjlinkProjector>> projectors_;
    std::vector<std::unique_ptr<PjlinkServer>> servers_;
    std::vector<std::unique_ptr<PjlinkUdp>> datagrams_; // one a projector; nullptr without UDP
    Clock& clock_;

    QHostAddress addressOf(const ProjectorPort& p) const { return p.listenAddress.value_or(config_.listenAddress); }
    void readingsChanged(const std::string& prefix, std::string_view button, const ProjectorReadings& before,
        const ProjectorReadings& after);
    void listenForDatagrams();
};

} // namespace qm5::pjlink
