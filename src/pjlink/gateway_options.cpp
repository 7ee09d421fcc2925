#include "pjlink/gateway_options.hpp"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <set>

#include "console/line_options.hpp"
#include "pjlink/projector_mapping.hpp"

namespace qm5::pjlink {

namespace {

constexpr qsizetype maxNameBytes = 64;

// "single" or "001" to "004": the panel's address options but "all", which no
// projector answers.
std::optional<std::string> prefixOfAddress(const QString& address)
{
    const auto option = findAddress(address.toStdString());
    if (!option || option->name == "all")
        return std::nullopt;
    return option->prefix;
}

bool isPrintable(const QByteArray& bytes, bool asciiOnly)
{
    return std::all_of(bytes.begin(), bytes.end(), [asciiOnly](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x20 && u != 0x7F && (!asciiOnly || u < 0x80);
    });
}

struct Failure {
    std::string reason;
};

void readPassword(const QString& path, GatewayConfig& config)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure{"--password-file " + path.toStdString() + ": " + file.errorString().toStdString()};
    QByteArray password = file.read(maxPasswordBytes + 3);
    // One line; an editor's newline at its end is not part of it.
    if (password.endsWith('\n'))
        password.chop(1);
    if (password.endsWith('\r'))
        password.chop(1);
    if (password.isEmpty() || password.size() > qsizetype{maxPasswordBytes} || !isPrintable(password, true))
        throw Failure{"--password-file " + path.toStdString()
            + ": the PJLink password is one line of 1 to 32 printable ASCII characters"};
    config.password = password.toStdString();
}

// "4352", "192.168.1.21:4352" or "[::1]:4352": an address of the projector's
// own and its TCP port.
std::optional<std::pair<std::optional<QHostAddress>, int>> readEndpoint(const QString& text)
{
    const qsizetype colon = text.lastIndexOf(':');
    QString host = colon < 0 ? QString() : text.left(colon);
    if (host.startsWith('[') && host.endsWith(']'))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const int port = text.mid(colon + 1).toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    std::optional<QHostAddress> address;
    if (!host.isEmpty() && !(address = QHostAddress()).value().setAddress(host))
        return std::nullopt;
    return std::pair{address, port};
}

// The addresses as given, in the order of config.projectors.
std::vector<std::string> readProjectors(const QStringList& values, GatewayConfig& config)
{
    std::vector<std::string> addresses;
    std::set<std::string> prefixes;
    std::set<std::pair<QString, int>> endpoints;
    for (const QString& value : values.isEmpty() ? QStringList{"single=4352"} : values) {
        const QStringList parts = value.split('=');
        const auto prefix = parts.size() == 2 ? prefixOfAddress(parts[0]) : std::nullopt;
        const auto endpoint = parts.size() == 2 ? readEndpoint(parts[1]) : std::nullopt;
        if (!prefix || !endpoint)
            throw Failure{"--projector " + value.toStdString() + ": want ADDRESS=[IP:]TCPPORT, ADDRESS single or 001 "
                + "to 004, TCPPORT 1 to 65535"};
        const auto& [ip, port] = *endpoint;
        if (!prefixes.insert(*prefix).second || !endpoints.insert({ip ? ip->toString() : QString(), port}).second)
            throw Failure{"--projector " + value.toStdString() + ": that address or port is given twice"};
        addresses.push_back(parts[0].toLower().toStdString());
        ProjectorPort p{*prefix, {}, static_cast<quint16>(port), addresses.back()};
        p.listenAddress = ip;
        config.projectors.push_back(std::move(p));
    }
    // Unaddressed frames reach every projector on the line, so all would answer at once.
    if (prefixes.count("") && prefixes.size() > 1)
        throw Failure{"--projector: single cannot share the line with addressed projectors"};
    return addresses;
}

// A text PJLink answers with: printable, within its length, and without "=",
// which OpenLP cannot read in a value.
std::string readText(const QString& value, qsizetype maxBytes, const std::string& option)
{
    const QByteArray text = value.toUtf8();
    if (text.size() > maxBytes || !isPrintable(text, false) || text.contains('='))
        throw Failure{option + ": at most " + std::to_string(maxBytes) + " bytes of printable text without \"=\""};
    return text.toStdString();
}

// "[ADDRESS=]VALUE" options, by the projector they belong to.
void readPerProjector(const QStringList& values, const std::string& option, GatewayConfig& config,
    const std::function<void(ProjectorPort&, const QString&)>& set)
{
    for (const QString& value : values) {
        const qsizetype equals = value.indexOf('=');
        const QString address = equals < 0 ? QString() : value.left(equals);
        const QString text = equals < 0 ? value : value.mid(equals + 1);
        ProjectorPort* target = nullptr;
        for (ProjectorPort& p : config.projectors) {
            if (address.isEmpty() ? config.projectors.size() == 1 : p.address == address.toLower().toStdString())
                target = &p;
        }
        if (!target)
            throw Failure{option + " " + value.toStdString() + ": want ADDRESS=VALUE, ADDRESS one of --projector's"};
        set(*target, text);
    }
}

void readInputNames(const QStringList& values, GatewayConfig& config)
{
    for (const QString& value : values) {
        const qsizetype equals = value.indexOf('=');
        const std::string input = value.left(equals).toStdString();
        if (equals < 0 || !findRow(inputs, &InputMapping::pjlink, input))
            throw Failure{"--input-name " + value.toStdString() + ": want INPUT=TEXT, INPUT 11 to 14"};
        config.inputNames[input] = readText(value.mid(equals + 1), maxNameBytes, "--input-name");
    }
}

bool isMac(const QString& text)
{
    static const QRegularExpression mac("^[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5}$");
    return mac.match(text).hasMatch();
}

void readNotify(const QStringList& values, GatewayConfig& config)
{
    for (const QString& value : values) {
        QHostAddress address;
        if (!address.setAddress(value) || address.protocol() != QAbstractSocket::IPv4Protocol)
            throw Failure{"--notify " + value.toStdString() + ": want an IPv4 address, e.g. 192.168.1.50"};
        config.notify.push_back(address);
    }
}

void readName(const QCommandLineParser& parser, const QCommandLineOption& option,
    const std::vector<std::string>& addresses, GatewayConfig& config)
{
    const bool given = parser.isSet(option);
    const QByteArray name = parser.value(option).toUtf8();
    if (name.size() > maxNameBytes || !isPrintable(name, false))
        throw Failure{"--name: at most 64 bytes of printable text"};
    // One name for several projectors gets each one's address after it.
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        config.projectors[i].name = !given ? "QM5 " + addresses[i]
            : addresses.size() == 1        ? name.toStdString()
                                           : name.toStdString() + " " + addresses[i];
    }
}

// Every option the gateway takes.
struct Options {
    QCommandLineOption help{{"h", "help"}, "Show this help and exit."};
    QCommandLineOption version{"version", "Show the version and exit."};
    LineOptions line;
    QCommandLineOption projector{"projector",
        "A projector and its TCP port; ADDRESS is single or 001 to 004. Repeat for a chain (default single=4352).",
        "ADDRESS=TCPPORT"};
    QCommandLineOption listen{"listen",
        "Address to listen on (default 127.0.0.1); any other than loopback needs --password-file.", "ADDRESS"};
    QCommandLineOption passwordFile{
        "password-file", "File holding the PJLink password, at most 32 characters.", "FILE"};
    QCommandLineOption name{"name", "NAME's answer (default \"QM5 <address>\").", "TEXT"};
    QCommandLineOption poll{
        "poll", "Ask every projector for its state every SECONDS, 0 for never (default 10).", "SECONDS", "10"};
    QCommandLineOption metrics{"metrics",
        "Serve Prometheus metrics on http://ADDRESS:PORT/metrics (ADDRESS default 127.0.0.1).", "[ADDRESS:]PORT"};
    QCommandLineOption inputName{"input-name",
        "INNM's answer for an input, 11 to 14 (default \"Input mode 1\" and so on). Repeat for each.", "INPUT=TEXT"};
    QCommandLineOption serialNumber{
        "serial-number", "SNUM's answer, the projector's serial number (default none).", "[ADDRESS=]TEXT"};
    QCommandLineOption lampModel{"lamp-model", "RLMP's answer, the replacement lamp's model (default none).", "TEXT"};
    QCommandLineOption filterModel{
        "filter-model", "RFIL's answer, the replacement filter's model (default none).", "TEXT"};
    QCommandLineOption noUdp{"no-udp", "Neither answer searches nor send notifications on UDP port 4352."};
    QCommandLineOption notify{
        "notify", "Send status notifications to UDP port 4352 of this controller too. Repeat for more.", "ADDRESS"};
    QCommandLineOption mac{"mac",
        "The MAC a search is answered with (default one derived from this host and the address).", "[ADDRESS=]MAC"};

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOptions({help, version});
        line.addTo(parser);
        parser.addOptions({projector, listen, passwordFile, name, poll, metrics, inputName, serialNumber, lampModel,
            filterModel, noUdp, notify, mac});
    }
};

// "9100", "0.0.0.0:9100" or "[::1]:9100".
MetricsEndpoint readMetrics(const QString& value)
{
    MetricsEndpoint endpoint;
    const qsizetype colon = value.lastIndexOf(':');
    QString host = colon < 0 ? QString() : value.left(colon);
    if (host.startsWith('[') && host.endsWith(']'))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const int port = value.mid(colon + 1).toInt(&ok);
    if (!ok || port < 1 || port > 65535 || (!host.isEmpty() && !endpoint.address.setAddress(host)))
        throw Failure{"--metrics " + value.toStdString() + ": want PORT or ADDRESS:PORT, e.g. 9100 or 0.0.0.0:9100"};
    endpoint.port = static_cast<quint16>(port);
    return endpoint;
}

int readPoll(const QString& value)
{
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    if (!ok || !(seconds == 0 || (seconds >= 1 && seconds <= 86400)))
        throw Failure{"--poll wants a number of seconds from 1 to 86400, or 0 for never"};
    return static_cast<int>(seconds * 1000);
}

// What Class 2 answers, and where its datagrams go.
void readClassTwo(const QCommandLineParser& parser, const Options& o, GatewayConfig& config)
{
    readInputNames(parser.values(o.inputName), config);
    readPerProjector(parser.values(o.serialNumber), "--serial-number", config,
        [](ProjectorPort& p, const QString& text) { p.serialNumber = readText(text, 32, "--serial-number"); });
    if (parser.isSet(o.lampModel))
        config.lampModel = readText(parser.value(o.lampModel), maxNameBytes, "--lamp-model");
    if (parser.isSet(o.filterModel))
        config.filterModel = readText(parser.value(o.filterModel), maxNameBytes, "--filter-model");
    config.udp = !parser.isSet(o.noUdp);
    readNotify(parser.values(o.notify), config);
    readPerProjector(parser.values(o.mac), "--mac", config, [](ProjectorPort& p, const QString& text) {
        if (!isMac(text))
            throw Failure{"--mac " + text.toStdString() + ": want six pairs of hex digits, e.g. 02:00:5E:10:00:01"};
        p.mac = text.toUpper().toStdString();
    });
}

GatewayConfig readConfig(const QCommandLineParser& parser, const Options& o)
{
    if (!parser.positionalArguments().isEmpty())
        throw Failure{"unexpected argument " + parser.positionalArguments().first().toStdString()};
    GatewayConfig config;
    const auto serial = o.line.read(parser);
    if (const auto* error = std::get_if<OptionError>(&serial))
        throw Failure{error->message};
    config.device = std::get<SerialLine>(serial).device;
    config.lineSettings = std::get<SerialLine>(serial).settings;
    const auto addresses = readProjectors(parser.values(o.projector), config);
    if (parser.isSet(o.passwordFile))
        readPassword(parser.value(o.passwordFile), config);
    if (parser.isSet(o.listen) && !config.listenAddress.setAddress(parser.value(o.listen)))
        throw Failure{"--listen wants an IP address, e.g. 127.0.0.1 or 0.0.0.0"};
    if (!config.listenAddress.isLoopback() && !config.password)
        throw Failure{"--listen " + config.listenAddress.toString().toStdString()
            + " reaches beyond this machine; give the PJLink password with --password-file"};
    readName(parser, o.name, addresses, config);
    config.pollMs = readPoll(parser.value(o.poll));
    if (parser.isSet(o.metrics))
        config.metrics = readMetrics(parser.value(o.metrics));
    readClassTwo(parser, o, config);
    return config;
}

} // namespace

ParsedOptions parseGatewayOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Makes each projector on the serial line a PJLink device on the network, and "
                                     "serves what it reads of them to Prometheus.");
    const Options options;
    options.addTo(parser);

    ParsedOptions result;
    if (!parser.parse(arguments)) {
        result.exitStatus = usageErrorStatus;
        result.error = parser.errorText().toStdString();
        return result;
    }
    if (parser.isSet(options.help)) {
        result.output = parser.helpText().toStdString();
        return result;
    }
    if (parser.isSet(options.version)) {
        result.output =
            (QCoreApplication::applicationName() + " " + QCoreApplication::applicationVersion() + "\n").toStdString();
        return result;
    }
    try {
        result.config = readConfig(parser, options);
    } catch (const Failure& failure) {
        result.exitStatus = usageErrorStatus;
        result.error = failure.reason;
    }
    return result;
}

} // namespace qm5::pjlink
