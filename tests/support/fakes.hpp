#pragma once
// Test doubles for the logic. FakeDisplay remembers what the logic showed;
// FakeSerialControl records every write and delivers what a test sends;
// ManualClock fires timers only when the test advances it, in the order they
// fall due, so a 5000 ms reply window or a one-second hold is tested exactly
// and instantly.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/display.hpp"
#include "core/serial_control.hpp"
#include "core/timer.hpp"

namespace qm5::test {

class FakeDisplay : public Display {
public:
    FakeDisplay(); // controls hidden and captioned as the layout table has them

    void setCaption(std::string_view control, const std::string& text) override
    {
        captions_[std::string(control)] = text;
    }
    std::string caption(std::string_view control) const override { return find(captions_, control); }
    void setVisible(std::string_view control, bool visible) override;
    bool isVisible(std::string_view control) const override { return !hidden_.contains(control); }
    std::string text(std::string_view control) const override { return find(texts_, control); }
    void setText(std::string_view control, const std::string& text) override { texts_[std::string(control)] = text; }
    void checkOption(std::string_view control) override { checkedOptions.emplace_back(control); }
    int windowWidth() const override { return width; }
    int windowHeight() const override { return height; }
    void setWindowHeight(int twips) override { height = twips; }
    void setWindowLeft(double twips) override { left = twips; }
    void setWindowTop(double twips) override { top = twips; }
    int screenWidth() const override { return 1920 * 15; }
    int screenHeight() const override { return 1080 * 15; }
    void showWarning(const std::string& text) override { warnings.push_back(text); }
    void endProgram() override { ended = true; }

    int width = 9615, height = 9100; // the whole layout, before start-up cuts it down
    double left = 0, top = 0;
    std::vector<std::string> warnings, checkedOptions;
    bool ended = false;

private:
    using Texts = std::map<std::string, std::string, std::less<>>;
    static std::string find(const Texts& texts, std::string_view control);
    Texts captions_, texts_;
    std::set<std::string, std::less<>> hidden_;
};

class FakeSerialControl : public SerialControl {
public:
    SerialError setPortNumber(int port) override;
    int portNumber() const override { return port_; }
    SerialError setLineSettings(const std::string& s) override { return settings = s, SerialError{}; }
    bool isOpen() const override { return open_; }
    SerialError open() override;
    void close() override { open_ = false; }
    SerialError write(const std::string& text) override;
    std::string readAll() override { return std::exchange(pending_, {}); }
    std::size_t unsentBytes() const override { return unsent; }

    void receive(const std::string& chars); // one receive event

    std::map<int, std::string> failingPorts; // ports that fail to open, with their error text
    std::vector<std::string> writes;
    std::function<void(const std::string&)> onWrite; // sees every frame that goes out
    std::string settings;
    int opens = 0;
    std::size_t unsent = 0; // what a slow serial layer would still hold

private:
    int port_ = 1;
    bool open_ = false;
    std::string pending_;
};

class ManualClock : public Clock {
public:
    std::unique_ptr<Timer> createTimer() override;
    std::int64_t nowUs() const override { return now_ * 1000; }
    std::int64_t now() const { return now_; }
    void advance(std::int64_t ms); // firing every tick that falls due on the way
    bool fireNext();               // jumps to the next due tick; false when no timer runs

private:
    class ManualTimer;
    ManualTimer* earliestDue() const;

    std::int64_t now_ = 0;
    std::uint64_t sequence_ = 0; // ties go to the timer armed first
    std::vector<ManualTimer*> timers_;
};

} // namespace qm5::test
