#pragma once
// The one serial control the window talks through. Its operations mirror the
// properties of a classic comm control: port number, settings, open state,
// output, input, event code and a receive event. Every operation that can fail
// returns the error text, or nothing on success.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace qm5 {

using SerialError = std::optional<std::string>;

// CommEvent codes.
inline constexpr int comEvReceive = 2;

class SerialControl {
public:
    virtual ~SerialControl() = default;

    // Selects the port for the next open (1 or 2); only while closed.
    virtual SerialError setCommPort(int port) = 0;
    virtual int commPort() const = 0;
    // "19200,N,8,1" style; takes effect at once, open or closed.
    virtual SerialError setSettings(const std::string& settings) = 0;
    virtual bool portOpen() const = 0;
    virtual SerialError setPortOpen(bool open) = 0;
    // Queues the whole text, one byte per character, and returns at once.
    virtual SerialError output(const std::string& text) = 0;
    // All characters received and not read yet; removes them.
    virtual std::string input() = 0;
    virtual int commEvent() const = 0;
    // Bytes handed to output() that the serial layer has not written yet.
    virtual std::size_t unsentBytes() const = 0;

    // Raised on the window's thread whenever received characters wait.
    void setOnComm(std::function<void()> handler) { onComm_ = std::move(handler); }

protected:
    void raiseOnComm()
    {
        if (onComm_)
            onComm_();
    }

private:
    std::function<void()> onComm_;
};

} // namespace qm5
