#pragma once
// This process's resident memory and open descriptors, read from /proc.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qm5::test {

// VmRSS in KiB; -1 where /proc cannot tell.
inline long residentKiB()
{
    std::ifstream status("/proc/self/status");
    long kib = 0;
    for (std::string key; status >> key && key != "VmRSS:";)
        status.ignore(4096, '\n');
    return status >> kib ? kib : -1;
}

// Entries of /proc/self/fd, less the one the count itself holds open.
inline int openDescriptors()
{
    std::error_code error;
    std::filesystem::directory_iterator fds("/proc/self/fd", error);
    return error ? -1 : static_cast<int>(std::distance(fds, std::filesystem::directory_iterator())) - 1;
}

} // namespace qm5::test
