#include "pjlink/gateway.hpp"

#include <QDateTime>

#include "pjlink/metrics.hpp"
#include "pjlink/metrics_server.hpp"
#include "pjlink/pjlink_projector.hpp"
#include "pjlink/pjlink_server.hpp"
#include "pjlink/pjlink_udp.hpp"
#include "pjlink/poller.hpp"
#include "protocol/mode_tables.hpp"

namespace qm5::pjlink {

namespace {

std::string where(const QHostAddress& address, quint16 port)
{
    return address.toString().toStdString() + " port " + std::to_string(port);
}

// INNM's answers: the options', else the panel's texts for the input modes.
std::map<std::string, std::string> inputNames(const std::map<std::string, std::string>& given)
{
    std::map<std::string, std::string> names;
    for (std::size_t i = 0; i < inputs.size(); ++i)
        names[std::string(inputs[i].pjlink)] = std::string(inputModeRows[i].text.substr(1));
    for (const auto& [input, name] : given)
        names[input] = name;
    return names;
}

} // namespace

Gateway::Gateway(SerialControl& serial, Clock& clock, const GatewayConfig& config, Log log)
    : config_(config)
    , log_(std::move(log))
    , serial_(serial)
    , queue_(serial, clock)
    , line_(queue_, clock, config.resultMaxAgeMs, log_)
    , watch_(log_)
    , clock_(clock)
{
    line_.setObserver([this](const std::string& prefix, std::string_view button, const Outcome& outcome) {
        watch_.note(prefix, button, outcome);
    });
    watch_.setChanged([this](const std::string& prefix, std::string_view button, const ProjectorReadings& before,
                          const ProjectorReadings& after) { readingsChanged(prefix, button, before, after); });
    line_.setLineBack(
        [this] {
            for (const auto& udp : datagrams_) {
                if (udp)
                    udp->notifyLookUp();
            }
        },
        [&serial] { return serial.isOpen(); });
    std::vector<std::string> prefixes;
    for (const ProjectorPort& p : config_.projectors) {
        prefixes.push_back(p.prefix);
        ProjectorFacts facts;
        facts.name = p.name;
        facts.inputNames = inputNames(config_.inputNames);
        facts.serialNumber = p.serialNumber;
        facts.lampModel = config_.lampModel;
        facts.filterModel = config_.filterModel;
        projectors_.push_back(std::make_unique<PjlinkProjector>(line_, p.prefix, std::move(facts)));
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
        if (!servers_[i]->listen(addressOf(p), p.tcpPort))
            return where(addressOf(p), p.tcpPort) + ": " + servers_[i]->errorString().toStdString();
        if (log_) {
            log_("PJLink for " + p.name + " on " + where(addressOf(p), servers_[i]->port())
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
    listenForDatagrams();
    if (poller_)
        poller_->start();
    return std::nullopt;
}

void Gateway::listenForDatagrams()
{
    for (std::size_t i = 0; i < config_.projectors.size(); ++i) {
        const ProjectorPort& p = config_.projectors[i];
        datagrams_.push_back(nullptr);
        // A search finds what listens on PJLink's port; a projector on
        // another has no datagrams.
        if (!config_.udp || p.tcpPort != standardPort)
            continue;
        const QHostAddress address = addressOf(p);
        const std::string mac =
            p.mac.empty() ? derivedMac(hostIdentity(), p.address + "@" + address.toString().toStdString()) : p.mac;
        auto udp = std::make_unique<PjlinkUdp>(mac, config_.notify, clock_);
        if (const auto error = udp->listen(address)) {
            if (log_)
                log_(*error + "; " + p.name + " answers no search and sends no notification");
            continue;
        }
        if (log_)
            log_("PJLink search and notifications for " + p.name + " on UDP " + where(address, 4352) + ", MAC " + mac);
        servers_[i]->setControllerSeen(
            [raw = udp.get()](const QHostAddress& controller) { raw->registerController(controller); });
        udp->notifyLookUp();
        datagrams_.back() = std::move(udp);
    }
}

void Gateway::readingsChanged(
    const std::string& prefix, std::string_view button, const ProjectorReadings& before, const ProjectorReadings& after)
{
    for (std::size_t i = 0; i < projectors_.size(); ++i) {
        if (projectors_[i]->prefix() != prefix)
            continue;
        projectors_[i]->readingsChanged(button, before, after);
        PjlinkUdp* udp = i < datagrams_.size() ? datagrams_[i].get() : nullptr;
        if (!udp)
            continue;
        // The state reached is told, whatever edge the polls saw on the way.
        if (before.power && after.power && before.power->state != after.power->state) {
            if (after.power->state == PowerState::On || after.power->state == PowerState::Standby)
                udp->notify("POWR", std::string(1, *pjlinkPower(after.power->state)));
        }
        if (before.power && after.power) {
            const ErrorStatus was = errorStatusOf(*before.power);
            const ErrorStatus is = errorStatusOf(*after.power);
            if (was.digits != is.digits)
                udp->notify("ERST", std::string(is.digits.begin(), is.digits.end()));
        }
        if (before.input && after.input && before.input != after.input)
            udp->notify("INPT", inputs[static_cast<std::size_t>(*after.input - 1)].pjlink);
    }
}

quint16 Gateway::metricsPort() const
{
    return metricsServer_ ? metricsServer_->port() : 0;
}

std::uint64_t Gateway::pollRounds() const
{
    return poller_ ? poller_->rounds() : 0;
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

std::vector<std::string> Gateway::macs() const
{
    std::vector<std::string> macs;
    for (const auto& udp : datagrams_)
        macs.push_back(udp ? udp->mac() : std::string());
    return macs;
}

} // namespace qm5::pjlink
