#pragma once
// One projector on the line as a PJLink device: takes a parsed command and
// answers it, now or once the line has. Settings wait for the power status
// first, so one asked during warm-up or cooling answers ERR3 without being sent.

#include <functional>
#include <memory>
#include <string>

#include "pjlink/cached_line.hpp"
#include "pjlink/pjlink_command.hpp"
#include "pjlink/projector_mapping.hpp"

namespace qm5::pjlink {

class PjlinkProjector {
public:
    // The value after "=", e.g. "OK", "1" or "ERR3".
    using Answer = std::function<void(const std::string& value)>;

    PjlinkProjector(CachedLine& line, std::string prefix, std::string name);

    // answer runs exactly once, possibly before this returns.
    void handle(const Command& command, Answer answer);

    const std::string& prefix() const { return prefix_; }
    const std::string& name() const { return name_; }

private:
    void read(const CommandRow& row, Answer answer);
    void readFrom(
        const CommandRow& row, std::size_t next, std::shared_ptr<std::vector<Outcome>> replies, Answer answer);
    void apply(const Setting& setting, Answer answer);

    CachedLine& line_;
    std::string prefix_;
    std::string name_;
};

} // namespace qm5::pjlink
