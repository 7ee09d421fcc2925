#pragma once
// One projector on the line as a PJLink device: takes a parsed command and
// answers it, now or once the line has. Settings wait for the power status
// first: one asked during warm-up or cooling answers ERR3 without being
// sent, and asking for the power state that already holds, or is already
// under way, answers OK without a frame.

#include <functional>
#include <memory>
#include <string>

#include "pjlink/cached_line.hpp"
#include "pjlink/pjlink_command.hpp"
#include "pjlink/projector_mapping.hpp"
#include "pjlink/projector_watch.hpp"

namespace qm5::pjlink {

class PjlinkProjector {
public:
    // The value after "=", e.g. "OK", "1" or "ERR3".
    using Answer = std::function<void(const std::string& value)>;

    PjlinkProjector(CachedLine& line, std::string prefix, ProjectorFacts facts);

    // answer runs exactly once, possibly before this returns.
    void handle(const Command& command, Answer answer);
    // What the poller or a client's query read of this projector.
    void readingsChanged(std::string_view button, const ProjectorReadings& before, const ProjectorReadings& after);

    const std::string& prefix() const { return prefix_; }
    const ProjectorFacts& facts() const { return facts_; }

private:
    void read(const CommandRow& row, std::string parameter, Answer answer);
    void readFrom(const CommandRow& row, std::size_t next, std::shared_ptr<std::vector<Outcome>> replies,
        std::string parameter, Answer answer);
    void apply(const Setting& setting, Answer answer);
    void applied(const Setting& setting);
    void switchedOff();

    CachedLine& line_;
    std::string prefix_;
    ProjectorFacts facts_;
};

} // namespace qm5::pjlink
