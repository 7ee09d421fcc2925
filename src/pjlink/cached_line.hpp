#pragma once
// The one serial line as the gateway uses it: every exchange goes through
// the one ExchangeQueue, buttons are sent with their catalogue code and
// reply window, and a query is answered from a result younger than maxAgeMs
// or joins the same query already waiting, so many clients polling cost one
// exchange. The poller's queries go at the lowest priority and leave their
// results for the clients' queries. A command forgets what was known of its
// projector.

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
    // Sees every outcome of a status query, the poller's and the clients'.
    using Observer = std::function<void(const std::string& prefix, std::string_view button, const Outcome&)>;

    // Exchanges on the line by how they ended.
    struct Counters {
        std::uint64_t answered = 0;
        std::uint64_t acknowledged = 0;
        std::uint64_t refused = 0;
        std::uint64_t missing = 0;
    };

    CachedLine(ExchangeQueue& queue, Clock& clock, int maxAgeMs, Log log = {});

    // A status query to the projector behind prefix. done may run before this returns.
    void query(const std::string& prefix, std::string_view button, Done done);
    // The same at the lowest priority, always sent; its result serves later queries.
    void poll(const std::string& prefix, std::string_view button, Done done);
    // Any other button: always sent.
    void send(const std::string& prefix, std::string_view button, Done done);

    void setObserver(Observer observer) { observer_ = std::move(observer); }
    // Called when the line is usable again after it was lost: a frame could
    // not be sent, or the device went away under an exchange (isOpen tells).
    void setLineBack(std::function<void()> lineBack, std::function<bool()> isOpen)
    {
        lineBack_ = std::move(lineBack);
        isOpen_ = std::move(isOpen);
    }
    const Counters& counters() const { return counters_; }

private:
    using Key = std::pair<std::string, std::string_view>;
    using Waiters = std::vector<Done>;
    struct Result {
        Outcome outcome;
        std::int64_t atUs;
    };

    void submit(const std::string& prefix, std::string_view button, Done done, ExchangeQueue::Priority priority);
    void keep(const Key& key, const Outcome& outcome);
    void forget(const std::string& prefix);
    void count(const Outcome& outcome);

    ExchangeQueue& queue_;
    Clock& clock_;
    std::int64_t maxAgeUs_;
    Log log_;
    Observer observer_;
    std::function<void()> lineBack_;
    std::function<bool()> isOpen_;
    std::map<Key, Result> results_;
    std::map<Key, std::shared_ptr<Waiters>> joinable_;
    Counters counters_;
    bool lineUp_ = true;
};

} // namespace qm5::pjlink
