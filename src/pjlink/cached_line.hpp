#pragma once
// The one serial line as the PJLink side uses it: every exchange goes
// through the one ExchangeQueue, buttons are sent with their catalogue code
// and reply window, and a query is answered from a result younger than
// maxAgeMs or joins the same query already waiting, so many clients polling
// cost one exchange. A command forgets what was known of its projector.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/timer.hpp"
#include "link/exchange_queue.hpp"

namespace qm5::pjlink {

class CachedLine {
public:
    using Done = std::function<void(const Outcome&)>;
    using Log = std::function<void(const std::string&)>;

    CachedLine(ExchangeQueue& queue, Clock& clock, int maxAgeMs, Log log = {});

    // A status query to the projector behind prefix. done may run before this returns.
    void query(const std::string& prefix, std::string_view button, Done done);
    // Any other button: always sent.
    void send(const std::string& prefix, std::string_view button, Done done);

private:
    using Key = std::pair<std::string, std::string_view>;
    using Waiters = std::vector<Done>;
    struct Result {
        Outcome outcome;
        std::int64_t atUs;
    };

    void submit(const std::string& prefix, std::string_view button, Done done);
    void forget(const std::string& prefix);
    void noteLineState(const Outcome& outcome);

    ExchangeQueue& queue_;
    Clock& clock_;
    std::int64_t maxAgeUs_;
    Log log_;
    std::map<Key, Result> results_;
    std::map<Key, std::shared_ptr<Waiters>> joinable_;
    bool lineUp_ = true;
};

} // namespace qm5::pjlink
