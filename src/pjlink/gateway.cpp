#include "pjlink/gateway.hpp"

#include "pjlink/pjlink_projector.hpp"
#include "pjlink/pjlink_server.hpp"

namespace qm5::pjlink {

Gateway::Gateway(SerialControl& serial, Clock& clock, const GatewayConfig& config, Log log)
    : config_(config)
    , log_(std::move(log))
    , queue_(serial, clock)
    , line_(queue_, clock, config.resultMaxAgeMs, log_)
{
    for (const ProjectorPort& p : config_.projectors) {
        projectors_.push_back(std::make_unique<PjlinkProjector>(line_, p.prefix, p.name));
        servers_.push_back(std::make_unique<PjlinkServer>(
            *projectors_.back(), ServerLimits{config_.idleMs, config_.maxClients}, config_.password));
    }
}

Gateway::~Gateway() = default;

std::optional<std::string> Gateway::listen()
{
    for (std::size_t i = 0; i < servers_.size(); ++i) {
        const ProjectorPort& p = config_.projectors[i];
        if (!servers_[i]->listen(config_.listenAddress, p.tcpPort)) {
            return config_.listenAddress.toString().toStdString() + " port " + std::to_string(p.tcpPort) + ": "
                + servers_[i]->errorString().toStdString();
        }
        if (log_) {
            log_("PJLink for " + p.name + " on " + config_.listenAddress.toString().toStdString() + " port "
                + std::to_string(servers_[i]->port()) + (config_.password ? ", with password" : ""));
        }
    }
    return std::nullopt;
}

std::vector<quint16> Gateway::ports() const
{
    std::vector<quint16> ports;
    for (const auto& server : servers_)
        ports.push_back(server->port());
    return ports;
}

std::vector<int> Gateway::clientCounts() const
{
    std::vector<int> counts;
    for (const auto& server : servers_)
        counts.push_back(server->clientCount());
    return counts;
}

} // namespace qm5::pjlink
