#pragma once
// PJLink Class 2 over UDP port 4352 for one projector: a controller's search
// ("%2SRCH") is answered with the projector's MAC ("%2ACKN=..."), sent to
// port 4352 of the searcher, and status notifications ("%2LKUP=", "%2POWR=",
// "%2ERST=", "%2INPT=") go to port 4352 of the controllers registered with
// this projector: every --notify address, the last controller that used its
// TCP port and the last that searched.
//
// Nothing received on UDP changes any state but who searched last. Only a
// well-formed search is answered, only to a source on a network the
// listening address is on, and at most once a second a source, so the
// gateway cannot reflect or amplify traffic; every read is bounded.

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/timer.hpp"

namespace qm5::pjlink {

inline constexpr quint16 pjlinkUdpPort = 4352;

// An IPv4 network as an interface carries it.
struct Subnet {
    quint32 network = 0;
    quint32 mask = 0;

    bool contains(quint32 address) const { return (address & mask) == network; }
    quint32 broadcast() const { return network | ~mask; }
};

// The networks of this machine's IPv4 addresses.
std::vector<Subnet> localSubnets();
// The network an address is on, among these; none when it is on none.
std::optional<Subnet> subnetOf(quint32 address, const std::vector<Subnet>& subnets);
// Whether a source is on a network the listening address is on: any of this
// machine's for 0.0.0.0.
bool onNetworkOf(const QHostAddress& source, const QHostAddress& listening, const std::vector<Subnet>& subnets);

// A stable, locally administered unicast MAC for a projector: the same host
// and address give the same one, "02:xx:xx:xx:xx:xx".
std::string derivedMac(std::string_view host, std::string_view address);
// The host's identity for derivedMac: /etc/machine-id, else the host name.
std::string hostIdentity();

class PjlinkUdp : public QObject {
public:
    PjlinkUdp(std::string mac, std::vector<QHostAddress> notify, Clock& clock, QObject* parent = nullptr);

    // Listens on the address's port 4352 and, for a single address, on its
    // network's broadcast address too (a socket bound to one address never
    // receives a broadcast). The reason when it cannot.
    std::optional<std::string> listen(const QHostAddress& address);

    // "%2BODY=value" to every controller registered.
    void notify(std::string_view body, std::string_view value);
    void notifyLookUp() { notify("LKUP", mac_); }
    // A controller that used the projector's TCP port hears its notifications.
    void registerController(const QHostAddress& controller);

    const std::string& mac() const { return mac_; }
    std::size_t answered() const { return answered_; }

private:
    void readDatagrams(QUdpSocket& socket);
    void searched(const QHostAddress& source);
    bool onOurNetwork(const QHostAddress& source) const;
    void send(const QHostAddress& to, const std::string& line);

    std::string mac_;
    std::vector<QHostAddress> notify_;
    Clock& clock_;
    QHostAddress address_;
    std::vector<Subnet> subnets_;
    std::vector<std::unique_ptr<QUdpSocket>> sockets_;
    std::map<quint32, std::int64_t> lastAnswerUs_;
    std::optional<QHostAddress> lastController_;
    std::optional<QHostAddress> lastSearcher_;
    std::size_t answered_ = 0;
};

} // namespace qm5::pjlink
