#pragma once
// A far end the tests drive byte by byte: a pseudo-terminal in raw mode whose
// master the test holds. The panel opens the slave path like a serial port.

#include <cstddef>
#include <string>
#include <string_view>

namespace qm5::test {

class RawPty {
public:
    RawPty() = default;
    ~RawPty() { close(); }
    RawPty(const RawPty&) = delete;
    RawPty& operator=(const RawPty&) = delete;

    // Opens a new terminal; the master is non-blocking. False and a reason on
    // failure.
    bool open(std::string* error = nullptr);
    // Closes the master: the panel's side sees the line hang up.
    void close();

    bool isOpen() const { return master_ >= 0; }
    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // What the panel has written and nobody read yet; never waits.
    std::string readAvailable();
    // Reads until at least count bytes have come, running the Qt event loop
    // meanwhile, for at most timeoutMs. Returns what came, maybe less.
    std::string readAtLeast(std::size_t count, int timeoutMs);
    // Writes all of bytes, running the event loop whenever the terminal is
    // full; false if it would not all go within timeoutMs.
    bool writeAll(std::string_view bytes, int timeoutMs = 5000);

private:
    int master_ = -1;
    std::string slavePath_;
};

} // namespace qm5::test
