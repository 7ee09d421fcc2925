#pragma once
// The serial control over QSerialPort. Bytes map to characters one to one
// (Latin-1): what is written goes out byte for byte, and every byte received,
// 0 to 255, becomes exactly one character.

#include <QObject>
#include <QSerialPort>

#include "core/serial_control.hpp"
#include "link/port_map.hpp"
#include "protocol/line_settings.hpp"

namespace qm5 {

class QtSerialControl : public QObject, public SerialControl {
    Q_OBJECT
public:
    explicit QtSerialControl(
        PortMap map = [](int port) { return devicePathForPort(port); }, QObject* parent = nullptr);
    ~QtSerialControl() override;

    SerialError setPortNumber(int port) override;
    int portNumber() const override { return port_; }
    SerialError setLineSettings(const std::string& settings) override;
    bool isOpen() const override { return serial_.isOpen(); }
    SerialError open() override;
    void close() override { serial_.close(); }
    SerialError write(const std::string& text) override;
    std::string readAll() override;
    std::size_t unsentBytes() const override { return static_cast<std::size_t>(serial_.bytesToWrite()); }

    // The device the port number stood for when it was set. A reopen after
    // the device went away tries this device again, never another one.
    const std::string& devicePath() const { return device_; }
    const QSerialPort& port() const { return serial_; }

signals:
    // The device went away under an open port and the port was closed.
    void deviceLost(const QString& reason);

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    // Hands the settings to QSerialPort, which applies them to an open port
    // at once and to a closed one when it opens.
    SerialError applySettings();
    std::string describe(const QString& cause) const;

    PortMap map_;
    QSerialPort serial_;
    int port_ = 1;
    std::string device_;
    LineSettings settings_;
    std::string salvaged_; // read from a device that has just gone away
};

} // namespace qm5
