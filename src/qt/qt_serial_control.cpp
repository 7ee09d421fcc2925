#include "qt/qt_serial_control.hpp"

#include <charconv>
#include <vector>

namespace qm5 {

namespace {

std::vector<std::string> splitCommas(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

bool parseInt(const std::string& s, int& out)
{
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && ptr == s.data() + s.size() && !s.empty();
}

} // namespace

bool parseLineSettings(const std::string& text, LineSettings& out)
{
    const auto parts = splitCommas(text);
    if (parts.size() != 4)
        return false;
    int baud = 0;
    int bits = 0;
    if (!parseInt(parts[0], baud) || baud <= 0 || !parseInt(parts[2], bits) || bits < 5 || bits > 8)
        return false;
    LineSettings s;
    s.baud = baud;
    s.dataBits = static_cast<QSerialPort::DataBits>(bits);
    if (parts[1] == "N")
        s.parity = QSerialPort::NoParity;
    else if (parts[1] == "E")
        s.parity = QSerialPort::EvenParity;
    else if (parts[1] == "O")
        s.parity = QSerialPort::OddParity;
    else if (parts[1] == "M")
        s.parity = QSerialPort::MarkParity;
    else if (parts[1] == "S")
        s.parity = QSerialPort::SpaceParity;
    else
        return false;
    if (parts[3] == "1")
        s.stopBits = QSerialPort::OneStop;
    else if (parts[3] == "1.5")
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (parts[3] == "2")
        s.stopBits = QSerialPort::TwoStop;
    else
        return false;
    out = s;
    return true;
}

QtSerialControl::QtSerialControl(PortMap map, QObject* parent)
    : QObject(parent)
    , map_(std::move(map))
    , device_(map_(port_))
{
    connect(&serial_, &QSerialPort::readyRead, this, &QtSerialControl::onReadyRead);
    connect(&serial_, &QSerialPort::errorOccurred, this, &QtSerialControl::onError);
}

QtSerialControl::~QtSerialControl()
{
    serial_.disconnect(this);
    serial_.close();
}

std::string QtSerialControl::describe(const QString& cause) const
{
    return devicePath() + ": " + cause.toStdString();
}

SerialError QtSerialControl::setPortNumber(int port)
{
    if (serial_.isOpen())
        return describe(QStringLiteral("Operation not valid while the port is open"));
    std::string device = map_(port);
    if (device.empty())
        return "Invalid port number " + std::to_string(port);
    port_ = port;
    device_ = std::move(device);
    return {};
}

SerialError QtSerialControl::setLineSettings(const std::string& settings)
{
    LineSettings parsed;
    if (!parseLineSettings(settings, parsed))
        return "Invalid settings \"" + settings + "\"";
    settings_ = settings;
    return applySettings();
}

SerialError QtSerialControl::applySettings()
{
    LineSettings s;
    parseLineSettings(settings_, s);
    const bool ok = serial_.setBaudRate(s.baud) && serial_.setParity(s.parity) && serial_.setDataBits(s.dataBits)
        && serial_.setStopBits(s.stopBits);
    if (!ok)
        return describe(serial_.errorString());
    return {};
}

SerialError QtSerialControl::open()
{
    if (serial_.isOpen())
        return describe(QStringLiteral("Port already open"));
    if (device_.empty())
        return "Invalid port number " + std::to_string(port_);
    serial_.setPortName(QString::fromStdString(device_));
    applySettings();
    if (!serial_.open(QIODevice::ReadWrite)) {
        const std::string error = describe(serial_.errorString());
        serial_.clearError();
        return error;
    }
    return {};
}

SerialError QtSerialControl::write(const std::string& text)
{
    if (!serial_.isOpen())
        return describe(QStringLiteral("Port not open"));
    const qint64 n = serial_.write(text.data(), static_cast<qint64>(text.size()));
    if (n != static_cast<qint64>(text.size()))
        return describe(serial_.errorString());
    // Out now rather than when the event loop next comes round: the caller
    // still has labels to update and the button to repaint.
    serial_.flush();
    return {};
}

std::string QtSerialControl::readAll()
{
    std::string out;
    out.swap(salvaged_);
    if (serial_.isOpen()) {
        const QByteArray bytes = serial_.readAll();
        out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return out;
}

void QtSerialControl::onReadyRead()
{
    event_ = receivedEvent;
    raiseEvent();
}

void QtSerialControl::onError(QSerialPort::SerialPortError error)
{
    // A device that goes away (USB adapter pulled, far end of a pty closed)
    // makes QSerialPort report ReadError over and over, or ResourceError.
    // Close at once: no busy loop, no message box; the next send reopens.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (!serial_.isOpen())
        return;
    const QString reason = serial_.errorString();
    // What had arrived before the device went is still delivered.
    const QByteArray rest = serial_.readAll();
    salvaged_.append(rest.constData(), static_cast<std::size_t>(rest.size()));
    serial_.close();
    serial_.clearError();
    emit deviceLost(reason);
    if (!salvaged_.empty())
        onReadyRead();
}

} // namespace qm5
