#pragma once
// A pseudo-terminal in raw mode whose master side is the far end of the line:
// the tests, the benchmarks and the soak tool hold it; the panel opens the
// slave path like a serial port.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm5::test {

class RawPty {
public:
    // keepSlaveOpen holds the slave open as well, so the line stays up
    // whatever the panel does with its end.
    explicit RawPty(bool keepSlaveOpen = false);
    ~RawPty();
    RawPty(const RawPty&) = delete;
    RawPty& operator=(const RawPty&) = delete;

    bool isOpen() const { return master_ >= 0; }
    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& path() const { return path_; }
    // Closes the master: the panel's end sees the line hang up.
    void hangUp();
    // Points link at the slave, as udev does when an adapter is plugged in.
    void linkAs(const std::string& link) const;

    // Up to max bytes, until nothing waits (or EIO once nobody has the slave open).
    std::string readAvailable(std::size_t max = SIZE_MAX);
    // Runs the event loop until count bytes have come or timeoutMs has passed.
    std::string readAtLeast(std::size_t count, int timeoutMs);
    // Runs the event loop until the terminal has taken every byte.
    bool writeAll(std::string_view bytes);

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

} // namespace qm5::test
