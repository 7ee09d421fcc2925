#pragma once
#include <functional>
#include <string>

namespace qm5 {

// Device of a port number: "COM1"/"COM2" on Windows. Elsewhere
// /dev/qm5rsc-comN when that link exists (even if it points nowhere yet, so
// an unplugged adapter is reported by its own name instead of silently
// falling back), otherwise /dev/ttyS0 and /dev/ttyS1. An empty string for a
// port number that has no device.
std::string DevicePathForPort(int port);

// The mapping a serial control uses; tests and tools pass their own.
using PortMap = std::function<std::string(int port)>;

} // namespace qm5
