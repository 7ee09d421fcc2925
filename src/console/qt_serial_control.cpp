#include "console/qt_serial_control.hpp"

namespace qm5 {

namespace {

QSerialPort::Parity qtParity(Parity parity)
{
    switch (parity) {
    case Parity::None:
        break;
    case Parity::Even:
        return QSerialPort::EvenParity;
    case Parity::Odd:
        return QSerialPort::OddParity;
    case Parity::Mark:
        return QSerialPort::MarkParity;
    case Parity::Space:
        return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits qtStopBits(StopBits stopBits)
{
    switch (stopBits) {
    case StopBits::One:
        break;
    case StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case StopBits::Two:
        return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

} // namespace

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
    const auto parsed = parseLineSettings(settings);
    if (!parsed)
        return "Invalid settings \"" + settings + "\"";
    settings_ = *parsed;
    return applySettings();
}

SerialError QtSerialControl::applySettings()
{
    const LineSettings& s = settings_;
    const bool ok = serial_.setBaudRate(static_cast<qint32>(s.baud)) && serial_.setParity(qtParity(s.parity))
        && serial_.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits))
        && serial_.setStopBits(qtStopBits(s.stopBits));
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
    raiseReceived();
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
