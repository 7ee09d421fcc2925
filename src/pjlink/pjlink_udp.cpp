#include "pjlink/pjlink_udp.hpp"

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkInterface>
#include <QSysInfo>

#include <algorithm>

namespace qm5::pjlink {

namespace {

constexpr std::string_view search = "%2SRCH\r";
// Longer datagrams are no search; they are read and dropped unlooked at.
constexpr qint64 maxDatagramBytes = 64;
constexpr std::int64_t answerEveryUs = 1'000'000;
// Sources remembered for the rate limit; beyond this, the oldest go.
constexpr std::size_t maxSourcesRemembered = 1024;

quint32 maskOf(int prefixLength)
{
    return prefixLength <= 0 ? 0 : prefixLength >= 32 ? 0xFFFFFFFFu : ~((1u << (32 - prefixLength)) - 1);
}

} // namespace

std::vector<Subnet> localSubnets()
{
    std::vector<Subnet> subnets;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            const quint32 mask = maskOf(entry.prefixLength());
            subnets.push_back({entry.ip().toIPv4Address() & mask, mask});
        }
    }
    return subnets;
}

std::optional<Subnet> subnetOf(quint32 address, const std::vector<Subnet>& subnets)
{
    // The narrowest network that holds the address.
    std::optional<Subnet> best;
    for (const Subnet& subnet : subnets) {
        if (subnet.contains(address) && (!best || subnet.mask > best->mask))
            best = subnet;
    }
    return best;
}

std::string derivedMac(std::string_view host, std::string_view address)
{
    const QByteArray seed = QByteArray::fromStdString(std::string(host) + "/qm5-pjlink/" + std::string(address));
    QByteArray bytes = QCryptographicHash::hash(seed, QCryptographicHash::Sha256).left(6);
    // Locally administered, unicast.
    bytes[0] = static_cast<char>((bytes[0] & 0xFC) | 0x02);
    return bytes.toHex(':').toUpper().toStdString();
}

std::string hostIdentity()
{
    QFile machineId("/etc/machine-id");
    if (machineId.open(QIODevice::ReadOnly)) {
        const QByteArray id = machineId.readLine(64).trimmed();
        if (!id.isEmpty())
            return id.toStdString();
    }
    return QSysInfo::machineHostName().toStdString();
}

PjlinkUdp::PjlinkUdp(std::string mac, std::vector<QHostAddress> notify, Clock& clock, QObject* parent)
    : QObject(parent)
    , mac_(std::move(mac))
    , notify_(std::move(notify))
    , clock_(clock)
{ }

std::optional<std::string> PjlinkUdp::listen(const QHostAddress& address)
{
    address_ = address;
    subnets_ = localSubnets();
    std::vector<QHostAddress> binds{address};
    if (address != QHostAddress::AnyIPv4 && address != QHostAddress::Any) {
        const auto subnet = subnetOf(address.toIPv4Address(), subnets_);
        if (!subnet)
            return address.toString().toStdString() + " is on no network of this machine";
        if (subnet->broadcast() != address.toIPv4Address())
            binds.emplace_back(subnet->broadcast());
    }
    for (const QHostAddress& bind : binds) {
        auto socket = std::make_unique<QUdpSocket>();
        // Projectors on aliases of one network all hear its broadcasts.
        if (!socket->bind(bind, pjlinkUdpPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
            return "UDP " + bind.toString().toStdString() + " port 4352: " + socket->errorString().toStdString();
        QUdpSocket* raw = socket.get();
        connect(raw, &QUdpSocket::readyRead, this, [this, raw] { readDatagrams(*raw); });
        sockets_.push_back(std::move(socket));
    }
    return std::nullopt;
}

void PjlinkUdp::readDatagrams(QUdpSocket& socket)
{
    char buffer[maxDatagramBytes];
    while (socket.hasPendingDatagrams()) {
        QHostAddress source;
        const qint64 size = socket.pendingDatagramSize();
        const qint64 got = socket.readDatagram(buffer, sizeof buffer, &source);
        if (size == static_cast<qint64>(search.size()) && got == size && std::string_view(buffer, got) == search)
            searched(source);
    }
}

void PjlinkUdp::searched(const QHostAddress& source)
{
    if (!onOurNetwork(source))
        return;
    const quint32 key = source.toIPv4Address();
    const std::int64_t now = clock_.nowUs();
    if (const auto last = lastAnswerUs_.find(key); last != lastAnswerUs_.end() && now - last->second < answerEveryUs)
        return;
    std::erase_if(lastAnswerUs_, [now](const auto& entry) { return now - entry.second >= answerEveryUs; });
    if (lastAnswerUs_.size() >= maxSourcesRemembered)
        return; // a storm of sources: answer none until it passes
    lastAnswerUs_[key] = now;
    lastSearcher_ = source;
    ++answered_;
    send(source, "%2ACKN=" + mac_ + "\r");
}

bool onNetworkOf(const QHostAddress& source, const QHostAddress& listening, const std::vector<Subnet>& subnets)
{
    bool ok = false;
    const quint32 from = source.toIPv4Address(&ok);
    if (!ok)
        return false;
    if (listening == QHostAddress::AnyIPv4 || listening == QHostAddress::Any)
        return subnetOf(from, subnets).has_value();
    const auto ours = subnetOf(listening.toIPv4Address(), subnets);
    return ours && ours->contains(from);
}

bool PjlinkUdp::onOurNetwork(const QHostAddress& source) const
{
    return onNetworkOf(source, address_, subnets_);
}

void PjlinkUdp::registerController(const QHostAddress& controller)
{
    if (onOurNetwork(controller))
        lastController_ = controller;
}

void PjlinkUdp::notify(std::string_view body, std::string_view value)
{
    const std::string line = "%2" + std::string(body) + "=" + std::string(value) + "\r";
    std::vector<QHostAddress> sent;
    const auto once = [&](const QHostAddress& to) {
        if (std::find(sent.begin(), sent.end(), to) == sent.end()) {
            sent.push_back(to);
            send(to, line);
        }
    };
    for (const QHostAddress& to : notify_)
        once(to);
    if (lastController_)
        once(*lastController_);
    if (lastSearcher_)
        once(*lastSearcher_);
}

void PjlinkUdp::send(const QHostAddress& to, const std::string& line)
{
    // From the listening address, which is the one a controller knows.
    if (!sockets_.empty())
        sockets_.front()->writeDatagram(line.data(), static_cast<qint64>(line.size()), to, pjlinkUdpPort);
}

} // namespace qm5::pjlink
