#include "support/fake_serial_control.hpp"

namespace qm5::test {

SerialError FakeSerialControl::setCommPort(int port)
{
    if (open_)
        return "Operation not valid while the port is open";
    if (port < 1 || port > 2)
        return "Invalid port number";
    port_ = port;
    return {};
}

SerialError FakeSerialControl::setSettings(const std::string& s)
{
    settings = s;
    return {};
}

SerialError FakeSerialControl::setPortOpen(bool open)
{
    if (open) {
        if (open_)
            return "Port already open";
        if (auto it = failingPorts.find(port_); it != failingPorts.end())
            return it->second;
        open_ = true;
        ++openCount;
    } else {
        if (open_)
            ++closeCount;
        open_ = false;
    }
    return {};
}

SerialError FakeSerialControl::output(const std::string& text)
{
    if (!open_)
        return "Operation valid only when the port is open";
    writes.push_back(text);
    return {};
}

std::string FakeSerialControl::input()
{
    std::string out;
    out.swap(pending_);
    return out;
}

void FakeSerialControl::receive(const std::string& chars)
{
    pending_ += chars;
    event_ = comEvReceive;
    raiseOnComm();
}

void FakeSerialControl::raiseEvent(int code)
{
    event_ = code;
    raiseOnComm();
}

} // namespace qm5::test
