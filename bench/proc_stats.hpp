#pragma once
// A process's resident memory, open descriptors and context switches, read
// from /proc; pid 0 is this process. -1 where /proc cannot tell.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qm5::test {

inline std::filesystem::path procDir(int pid)
{
    return pid ? "/proc/" + std::to_string(pid) : std::string("/proc/self");
}

// A "Name:   value" field of a status file.
inline long statusField(const std::filesystem::path& status, const std::string& field)
{
    std::ifstream in(status);
    for (std::string line; std::getline(in, line);) {
        if (line.size() > field.size() && line.compare(0, field.size(), field) == 0 && line[field.size()] == ':')
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    }
    return -1;
}

// VmRSS and its peak VmHWM, in KiB.
inline long residentKiB(int pid = 0)
{
    return statusField(procDir(pid) / "status", "VmRSS");
}
inline long peakResidentKiB(int pid = 0)
{
    return statusField(procDir(pid) / "status", "VmHWM");
}

// Entries of the fd folder, less the one the count itself holds open.
inline int openDescriptors(int pid = 0)
{
    std::error_code error;
    std::filesystem::directory_iterator fds(procDir(pid) / "fd", error);
    return error ? -1 : static_cast<int>(std::distance(fds, std::filesystem::directory_iterator())) - !pid;
}

// Voluntary and involuntary context switches of every thread.
inline long contextSwitches(int pid = 0)
{
    std::error_code error;
    long total = 0;
    for (const auto& task : std::filesystem::directory_iterator(procDir(pid) / "task", error)) {
        for (const char* field : {"voluntary_ctxt_switches", "nonvoluntary_ctxt_switches"})
            total += std::max(0L, statusField(task.path() / "status", field));
    }
    return error ? -1 : total;
}

} // namespace qm5::test
