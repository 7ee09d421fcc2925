#pragma once
// A serial port with no device behind it: it records every write, lets a test
// deliver received characters, and can be told which ports fail to open.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/serial_control.hpp"

namespace qm5::test {

class FakeSerialControl : public SerialControl {
public:
    SerialError setPortNumber(int port) override;
    int portNumber() const override { return port_; }
    SerialError setLineSettings(const std::string& s) override;
    bool isOpen() const override { return open_; }
    SerialError open() override;
    void close() override;
    SerialError write(const std::string& text) override;
    std::string readAll() override;
    int lastEvent() const override { return event_; }
    std::size_t unsentBytes() const override { return unsent; }

    // Delivers characters as one receive event.
    void receive(const std::string& chars);
    // Raises another event (a line-state change, say).
    void raise(int code);

    // Ports that fail to open, with the error text they give.
    std::map<int, std::string> failingPorts;

    std::vector<std::string> writes;
    std::function<void(const std::string&)> onWrite; // sees every frame that goes out
    std::string settings;
    int opens = 0;
    std::size_t unsent = 0; // what a slow serial layer would still hold

private:
    int port_ = 1;
    bool open_ = false;
    int event_ = 0;
    std::string pending_;
};

} // namespace qm5::test
