#pragma once
// qm5-pjlink's command line. Every mistake is found here, before anything
// opens or listens, and told in one line.

#include <QStringList>

#include <optional>
#include <string>

#include "pjlink/gateway.hpp"

namespace qm5::pjlink {

inline constexpr int usageErrorStatus = 2;

struct ParsedOptions {
    std::optional<GatewayConfig> config; // set when the gateway is to run
    int exitStatus = 0;                  // otherwise: exit with this status
    std::string output;                  // --help and --version, for stdout
    std::string error;                   // the one-line reason, for stderr
};

// arguments[0] is the program. The password file is read here, once.
ParsedOptions parseGatewayOptions(const QStringList& arguments);

} // namespace qm5::pjlink
