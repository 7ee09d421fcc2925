#include "link/port_map.hpp"

#include <filesystem>
#include <system_error>

namespace qm5 {

std::string DevicePathForPort(int port)
{
    if (port < 1 || port > 2)
        return {};
#ifdef _WIN32
    return "COM" + std::to_string(port);
#else
    const std::string link = "/dev/qm5rsc-com" + std::to_string(port);
    std::error_code ec;
    if (std::filesystem::is_symlink(link, ec) || std::filesystem::exists(link, ec))
        return link;
    return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

} // namespace qm5
