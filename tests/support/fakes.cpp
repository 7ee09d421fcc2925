#include "support/fakes.hpp"

#include <algorithm>

#include "layout/layout_table.hpp"

namespace qm5::test {

FakeDisplay::FakeDisplay()
{
    for (const ControlSpec& c : layoutControls) {
        if (!c.visible)
            hidden_.emplace(c.name);
        if (!c.caption.empty())
            captions_.emplace(c.name, c.caption);
    }
}

void FakeDisplay::setVisible(std::string_view control, bool visible)
{
    if (const auto it = hidden_.find(control); visible && it != hidden_.end())
        hidden_.erase(it);
    else if (!visible)
        hidden_.emplace(control);
}

std::string FakeDisplay::find(const Texts& texts, std::string_view control)
{
    const auto it = texts.find(control);
    return it == texts.end() ? std::string() : it->second;
}

SerialError FakeSerialControl::setPortNumber(int port)
{
    if (open_)
        return "Operation not valid while the port is open";
    if (port < 1 || port > 2)
        return "Invalid port number";
    port_ = port;
    return {};
}

SerialError FakeSerialControl::open()
{
    if (open_)
        return "Port already open";
    if (auto it = failingPorts.find(port_); it != failingPorts.end())
        return it->second;
    open_ = true;
    ++opens;
    return {};
}

SerialError FakeSerialControl::write(const std::string& text)
{
    if (!open_)
        return "Operation valid only when the port is open";
    writes.push_back(text);
    if (onWrite)
        onWrite(text);
    return {};
}

void FakeSerialControl::receive(const std::string& chars)
{
    pending_ += chars;
    raiseReceived();
}

class ManualClock::ManualTimer : public Timer {
public:
    explicit ManualTimer(ManualClock& clock) : clock_(clock) { clock_.timers_.push_back(this); }
    ~ManualTimer() override { std::erase(clock_.timers_, this); }

    void setInterval(int ms) override
    {
        interval_ = ms;
        if (active_)
            arm(); // a running timer's count starts again, as QTimer's does
    }
    int interval() const override { return interval_; }
    void start() override { active_ = true, arm(); }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }
    void tick() { arm(), fireTick(); } // it runs on until its handler stops it

    std::int64_t due = 0;
    std::uint64_t sequence = 0;

private:
    void arm() { due = clock_.now_ + std::max(interval_, 1), sequence = ++clock_.sequence_; }

    ManualClock& clock_;
    int interval_ = 0;
    bool active_ = false;
};

std::unique_ptr<Timer> ManualClock::createTimer()
{
    return std::make_unique<ManualTimer>(*this);
}

ManualClock::ManualTimer* ManualClock::earliestDue() const
{
    ManualTimer* best = nullptr;
    for (ManualTimer* t : timers_) {
        if (t->isActive() && (!best || std::tie(t->due, t->sequence) < std::tie(best->due, best->sequence)))
            best = t;
    }
    return best;
}

void ManualClock::advance(std::int64_t ms)
{
    const std::int64_t target = now_ + ms;
    for (ManualTimer* t; (t = earliestDue()) && t->due <= target;) {
        now_ = t->due;
        t->tick();
    }
    now_ = target;
}

bool ManualClock::fireNext()
{
    ManualTimer* t = earliestDue();
    if (t) {
        now_ = t->due;
        t->tick();
    }
    return t;
}

} // namespace qm5::test
