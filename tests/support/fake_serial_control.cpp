#include "support/fake_serial_control.hpp"

#include <utility>

namespace qm5::test {

SerialError FakeSerialControl::setPortNumber(int port)
{
    if (open_)
        return "Operation not valid while the port is open";
    if (port < 1 || port > 2)
        return "Invalid port number";
    port_ = port;
    return {};
}

SerialError FakeSerialControl::setLineSettings(const std::string& s)
{
    settings = s;
    return {};
}

SerialError FakeSerialControl::open()
{
    if (open_)
        return "Port already open";
    if (auto it = failingPorts.find(port_); it != failingPorts.end())
        return it->second;
    open_ = true;
    ++opens;
    return {};
}

void FakeSerialControl::close()
{
    open_ = false;
}

SerialError FakeSerialControl::write(const std::string& text)
{
    if (!open_)
        return "Operation valid only when the port is open";
    writes.push_back(text);
    if (onWrite)
        onWrite(text);
    return {};
}

std::string FakeSerialControl::readAll()
{
    return std::exchange(pending_, {});
}

void FakeSerialControl::receive(const std::string& chars)
{
    pending_ += chars;
    event_ = receivedEvent;
    raiseEvent();
}

void FakeSerialControl::raise(int code)
{
    event_ = code;
    raiseEvent();
}

} // namespace qm5::test
