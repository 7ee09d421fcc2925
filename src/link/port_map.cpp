#include "link/port_map.hpp"

#include <filesystem>
#include <system_error>

namespace qm5 {

std::string devicePathForPort(int port, [[maybe_unused]] const PortDevices& devices)
{
    if (port < 1 || port > 2)
        return {};
#ifdef _WIN32
    return "COM" + std::to_string(port);
#else
    const std::string link = devices.linkStem + std::to_string(port);
    std::error_code ec;
    if (std::filesystem::is_symlink(link, ec) || std::filesystem::exists(link, ec))
        return link;
    return devices.builtIn[static_cast<std::size_t>(port - 1)];
#endif
}

} // namespace qm5
