#include "pjlink/gateway.hpp"

#include <QDateTime>

#include "pjlink/metrics.hpp"
#include "pjlink/metrics_server.hpp"
#include "pjlink/pjlink_projector.hpp"
#include "pjlink/pjlink_server.hpp"
#include "pjlink/poller.hpp"

namespace qm5::pjlink {

namespace {

std::string where(const QHostAddress& address, quint16 port)
{
    return address.toString().toStdString() + " port " + std::to_string(port);
}

} // namespace

Gateway::Gateway(SerialControl& serial, Clock& clock, const GatewayConfig& config, Log log)
    : config_(config)
    , log_(std::move(log))
    , serial_(serial)
    , queue_(serial, clock)
    , line_(queue_, clock, config.resultMaxAgeMs, log_)
    , watch_(log_)
{
    line_.setObserver([this](const std::string& prefix, std::string_view button, const Outcome& outcome) {
        watch_.note(prefix, button, outcome);
    });
    std::vector<std::string> prefixes;
    for (const ProjectorPort& p : config_.projectors) {
        prefixes.push_back(p.prefix);
        projectors_.push_back(std::make_unique<PjlinkProjector>(line_, p.prefix, p.name));
        servers_.push_back(std::make_unique<PjlinkServer>(
            *projectors_.back(), ServerLimits{config_.idleMs, config_.maxClients}, config_.password));
    }
    if (config_.pollMs > 0) {
        poller_ = std::make_unique<Poller>(
            line_, clock, watch_, std::move(prefixes), config_.pollMs,
            [] { return QDateTime::currentMSecsSinceEpoch(); }, log_);
    }
    if (config_.metrics)
        metricsServer_ = std::make_unique<MetricsServer>([this] { return metrics(); });
}

Gateway::~Gateway() = default;

std::optional<std::string> Gateway::listen()
{
    for (std::size_t i = 0; i < servers_.size(); ++i) {
        const ProjectorPort& p = config_.projectors[i];
        if (!servers_[i]->listen(config_.listenAddress, p.tcpPort))
            return where(config_.listenAddress, p.tcpPort) + ": " + servers_[i]->errorString().toStdString();
        if (log_) {
            log_("PJLink for " + p.name + " on " + where(config_.listenAddress, servers_[i]->port())
                + (config_.password ? ", with password" : ""));
        }
    }
    if (metricsServer_) {
        const MetricsEndpoint& m = *config_.metrics;
        if (!metricsServer_->listen(m.address, m.port))
            return where(m.address, m.port) + ": " + metricsServer_->errorString().toStdString();
        if (log_)
            log_("metrics on http://" + where(m.address, metricsServer_->port()) + " /metrics");
    }
    if (poller_)
        poller_->start();
    return std::nullopt;
}

quint16 Gateway::metricsPort() const
{
    return metricsServer_ ? metricsServer_->port() : 0;
}

std::string Gateway::metrics() const
{
    MetricsInput input;
    input.serialLineUp = serial_.isOpen();
    input.exchanges = line_.counters();
    for (const auto& server : servers_)
        input.pjlinkClients += server->clientCount();
    input.unparsed = watch_.unparsed();
    for (const ProjectorPort& p : config_.projectors)
        input.projectors.emplace_back(p.address, watch_.readings(p.prefix));
    return renderMetrics(input);
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
