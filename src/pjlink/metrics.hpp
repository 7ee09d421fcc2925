#pragma once
// The gateway's readings in Prometheus's text exposition format 0.0.4: one
// HELP and TYPE a family, base units, counters ending in _total, label values
// escaped. A reading not known yet is left out, never shown as 0.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pjlink/cached_line.hpp"
#include "pjlink/projector_watch.hpp"

namespace qm5::pjlink {

struct MetricsInput {
    bool serialLineUp = false;
    CachedLine::Counters exchanges;
    int pjlinkClients = 0;
    std::map<std::string_view, std::uint64_t> unparsed;
    // By the address name of --projector: "single", "001"...
    std::vector<std::pair<std::string, ProjectorReadings>> projectors;
};

std::string renderMetrics(const MetricsInput& input);

// A label value as the format wants it: backslash, double quote and line
// feed escaped.
std::string escapeLabelValue(std::string_view value);

} // namespace qm5::pjlink
