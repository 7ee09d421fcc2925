#pragma once
// The one serial port the panel talks through. Every operation that can fail
// returns the error text, or nothing on success.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace qm5 {

using SerialError = std::optional<std::string>;

class SerialControl {
public:
    virtual ~SerialControl() = default;

    // Selects the port (1 or 2) for the next open; only while closed.
    virtual SerialError setPortNumber(int port) = 0;
    virtual int portNumber() const = 0;
    // "19200,N,8,1" style; takes effect at once, open or closed.
    virtual SerialError setLineSettings(const std::string& settings) = 0;
    virtual bool isOpen() const = 0;
    // Opens the numbered port with the current settings.
    virtual SerialError open() = 0;
    virtual void close() = 0;
    // Queues the whole text, one byte per character, and returns at once.
    virtual SerialError write(const std::string& text) = 0;
    // All characters received and not read yet; removes them.
    virtual std::string readAll() = 0;
    // Bytes handed to write() that have not gone out yet.
    virtual std::size_t unsentBytes() const = 0;

    // Called on the panel's thread whenever received characters wait to be
    // read. Line-state changes and errors call nothing.
    void setReceiveHandler(std::function<void()> handler) { onReceived_ = std::move(handler); }

protected:
    void raiseReceived()
    {
        if (onReceived_)
            onReceived_();
    }

private:
    std::function<void()> onReceived_;
};

} // namespace qm5
