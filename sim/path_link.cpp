#include "path_link.hpp"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace qm5::sim {

namespace {

bool fail(std::string* error, const std::string& what)
{
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

std::string readLink(const std::string& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

} // namespace

bool PathLink::create(const std::string& target, const std::string& link, std::string* error)
{
    remove();
    struct stat existing { };
    if (::lstat(link.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            errno = EEXIST;
            return fail(error, link);
        }
        if (::unlink(link.c_str()) != 0)
            return fail(error, link);
    }
    if (::symlink(target.c_str(), link.c_str()) != 0)
        return fail(error, link);
    target_ = target;
    link_ = link;
    return true;
}

void PathLink::remove()
{
    if (link_.empty())
        return;
    if (readLink(link_) == target_)
        ::unlink(link_.c_str());
    link_.clear();
    target_.clear();
}

} // namespace qm5::sim
