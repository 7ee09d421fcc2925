#pragma once
// This process's resident memory and open descriptors, read from /proc.

#include <dirent.h>

#include <fstream>
#include <string>

namespace qm5::test {

// VmRSS in KiB; -1 where /proc cannot tell.
inline long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = -1;
            status >> kib;
            return kib;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

// Entries of /proc/self/fd, less the one the count itself holds open.
inline int openDescriptors()
{
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count - 1;
}

} // namespace qm5::test
