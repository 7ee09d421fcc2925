#include "link/exchange_queue.hpp"

#include "protocol/decode_reply.hpp"
#include "protocol/frame.hpp"
#include "protocol/transcript.hpp"

namespace qm5 {

ExchangeQueue::ExchangeQueue(SerialControl& serial, Clock& clock)
    : serial_(serial)
    , clock_(clock)
    , replyTimer_(clock.timer(startReplyTimes.replyWindowMs, [this] { replyWindowEnded(); }))
    , guardTimer_(clock.timer(lateReplyGuardMs, [this] {
        guardTimer_->stop();
        sendNext();
    }))
{
    serial_.setReceiveHandler([this] { onReceived(); });
}

ExchangeQueue::~ExchangeQueue()
{
    serial_.setReceiveHandler({});
}

void ExchangeQueue::submit(Request request, Done done, Priority priority)
{
    (priority == Priority::Poll ? polls_ : requests_).push_back({std::move(request), std::move(done)});
    sendNext();
}

void ExchangeQueue::sendNext()
{
    std::deque<Job>& next = requests_.empty() ? polls_ : requests_;
    if (inFlight_ || guardTimer_->isActive() || next.empty())
        return;
    inFlight_ = std::move(next.front());
    next.pop_front();
    const Request& r = inFlight_->request;
    current_ = Outcome{};
    current_.frame = buildFrame(r.prefix, r.command);
    received_.clear();
    // Queries answer with data and a CR, every other known command with ACK;
    // free text may be either.
    expect_ = r.command.starts_with("CR") ? Expect::Data
        : r.command.starts_with('C')      ? Expect::Acknowledgement
                                          : Expect::Either;

    // What came while nothing was in flight belongs to nobody.
    if (serial_.isOpen())
        serial_.readAll();
    if (!serial_.isOpen()) {
        if (SerialError error = serial_.open()) {
            current_.kind = Outcome::Kind::NotSent;
            current_.error = *error;
            return finish(std::move(current_));
        }
    }
    if (SerialError error = serial_.write(current_.frame)) {
        current_.kind = Outcome::Kind::NotSent;
        current_.error = *error;
        return finish(std::move(current_));
    }
    if (r.prefix == broadcastPrefix) {
        current_.kind = Outcome::Kind::SentToAll;
        return finish(std::move(current_));
    }
    replyTimer_->setInterval(r.replyWindowMs);
    replyTimer_->start();
}

void ExchangeQueue::onReceived()
{
    const std::string bytes = serial_.readAll();
    if (!inFlight_)
        return;
    for (const char c : bytes) {
        if (received_.empty() && (c == acknowledgement || c == refusal)) {
            // A query is never acknowledged, so an ACK now came too late for
            // an earlier command; a NAK is the projector refusing the query.
            if (expect_ == Expect::Data && c == acknowledgement)
                continue;
            current_.reply.assign(1, c);
            current_.kind = c == acknowledgement ? Outcome::Kind::Acknowledged : Outcome::Kind::Refused;
            return finish(std::move(current_));
        }
        if (received_.size() < maxReplyBytes)
            received_.push_back(c);
        if (c != carriageReturn)
            continue;
        if (expect_ == Expect::Acknowledgement) {
            received_.clear(); // an answer that came too late for its query
            continue;
        }
        current_.reply = std::move(received_);
        current_.kind = Outcome::Kind::Answered;
        current_.status = decodeReply(renderTranscript(current_.reply), current_.frame, inFlight_->request.prefix);
        return finish(std::move(current_));
    }
}

void ExchangeQueue::replyWindowEnded()
{
    if (!inFlight_)
        return;
    current_.kind = Outcome::Kind::Missing;
    current_.reply = std::move(received_);
    guardTimer_->start();
    finish(std::move(current_));
}

void ExchangeQueue::finish(Outcome outcome)
{
    replyTimer_->stop();
    Job job = std::move(*inFlight_);
    inFlight_.reset();
    if (job.done)
        job.done(outcome);
    sendNext();
}

} // namespace qm5
