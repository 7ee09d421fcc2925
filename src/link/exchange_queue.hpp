#pragma once
// The exchange engine without a window, for the command-line tool and the
// network gateway: requests wait in one queue and go out one at a time, each
// framed as the panel frames it and given the panel's reply window. A reply
// is complete at its CR, or at a lone ACK or NAK; it is matched to the request
// in flight and decoded as the panel decodes it. What arrives while nothing is
// in flight, or does not have the shape the request expects, is dropped.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/serial_control.hpp"
#include "core/timer.hpp"
#include "protocol/reply_times.hpp"

namespace qm5 {

struct Request {
    std::string prefix;  // address prefix: "", "A001" to "A004", or the broadcast prefix
    std::string command; // command text, e.g. "CR0" or "CF INPUT3 S-VIDEO"
    int replyWindowMs = startReplyTimes.replyWindowMs;
};

struct Outcome {
    enum class Kind {
        Answered,     // a reply came; status holds its decoding, if any
        Acknowledged, // ACK
        Refused,      // NAK: the projector does not know the command
        Missing,      // nothing within the reply window
        SentToAll,    // to every projector, which none of them answers
        NotSent,      // the line could not be opened; error says why
    };
    Kind kind = Kind::Missing;
    std::string frame;
    std::string reply;                 // the reply's bytes, CR included
    std::optional<std::string> status; // the status line the panel would show
    std::string error;
};

class ExchangeQueue {
public:
    using Done = std::function<void(const Outcome&)>;
    // Polls go out only when no request waits, so a request never waits
    // behind more than the one exchange already on the wire.
    enum class Priority {
        Request,
        Poll,
    };

    // After a missing reply the line must stay quiet this long before the next
    // frame goes out, so a reply that comes late is not taken for the next one.
    static constexpr int lateReplyGuardMs = 1000;
    // Longest reply kept; a line that floods never grows the buffer further.
    static constexpr std::size_t maxReplyBytes = 4096;

    ExchangeQueue(SerialControl& serial, Clock& clock);
    ~ExchangeQueue();
    ExchangeQueue(const ExchangeQueue&) = delete;
    ExchangeQueue& operator=(const ExchangeQueue&) = delete;

    // Queues a request; done runs once, when its outcome is known.
    void submit(Request request, Done done, Priority priority = Priority::Request);
    // Requests not finished yet, the one in flight included.
    std::size_t pending() const { return requests_.size() + polls_.size() + (inFlight_ ? 1 : 0); }

private:
    struct Job {
        Request request;
        Done done;
    };
    enum class Expect {
        Acknowledgement,
        Data,
        Either
    };

    void sendNext();
    void onReceived();
    void replyWindowEnded();
    void finish(Outcome outcome);

    SerialControl& serial_;
    Clock& clock_;
    std::unique_ptr<Timer> replyTimer_;
    std::unique_ptr<Timer> guardTimer_;
    std::deque<Job> requests_;
    std::deque<Job> polls_;
    std::optional<Job> inFlight_;
    Outcome current_;
    Expect expect_ = Expect::Either;
    std::string received_;
};

} // namespace qm5
