#pragma once
// A serial control with no device behind it: it records every write, lets a
// test deliver received characters, and can be told which ports fail to open.

#include <map>
#include <string>
#include <vector>

#include "core/serial_control.hpp"

namespace qm5::test {

class FakeSerialControl : public SerialControl {
public:
    SerialError setCommPort(int port) override;
    int commPort() const override { return port_; }
    SerialError setSettings(const std::string& settings) override;
    bool portOpen() const override { return open_; }
    SerialError setPortOpen(bool open) override;
    SerialError output(const std::string& text) override;
    std::string input() override;
    int commEvent() const override { return event_; }
    std::size_t unsentBytes() const override { return unsent; }

    // Delivers characters as one receive event.
    void receive(const std::string& chars);
    // Raises a non-receive event (a line-state change, say).
    void raiseEvent(int code);

    // Ports that fail to open, with the error text they give.
    std::map<int, std::string> failingPorts;

    std::vector<std::string> writes;
    std::size_t unsent = 0; // what a slow serial layer would still hold
    std::string settings;
    int openCount = 0;
    int closeCount = 0;

private:
    int port_ = 1;
    bool open_ = false;
    int event_ = 0;
    std::string pending_;
};

} // namespace qm5::test
