#pragma once
// A symbolic link to the pseudo-terminal under a fixed name, so a panel or a
// script can be pointed at the same path every run. Removed again on destruction.

#include <string>

namespace qm5::sim {

class PathLink {
public:
    PathLink() = default;
    ~PathLink() { remove(); }
    PathLink(const PathLink&) = delete;
    PathLink& operator=(const PathLink&) = delete;

    // Makes link point at target. A symbolic link already at that path (left
    // by a run that was killed) is replaced; any other file is left alone and
    // reported as an error.
    bool create(const std::string& target, const std::string& link, std::string* error = nullptr);

    // Removes the link, unless someone has since pointed it elsewhere.
    void remove();

    const std::string& path() const { return link_; }

private:
    std::string target_;
    std::string link_;
};

} // namespace qm5::sim
