#pragma once
#include <array>
#include <functional>
#include <string>

namespace qm5 {

// The devices a port number can stand for on Linux and other Unix: the link
// an administrator or a udev rule makes (linkStem + N), else a built-in port.
struct PortDevices {
    std::string linkStem;
    std::array<std::string, 2> builtIn;
};

inline const PortDevices systemPortDevices{"/dev/qm5rsc-com", {"/dev/ttyS0", "/dev/ttyS1"}};

// Device of a port number: "COM1"/"COM2" on Windows. Elsewhere the link
// when it exists (even if it points nowhere yet, so an unplugged adapter is
// reported by its own name instead of silently falling back), otherwise the
// built-in port. An empty string for a port number that has no device.
std::string devicePathForPort(int port, const PortDevices& devices = systemPortDevices);

// The mapping a serial control uses; tests and tools pass their own.
using PortMap = std::function<std::string(int port)>;

} // namespace qm5
