#pragma once
// The line's options as the console programs take them, named by the
// captions of the panel's option buttons: --device PATH or --com 1|2 (the
// panel's port map), --speed 19200|9600 and, where a program addresses one
// projector, --address single|all|001...004. Read the same way, with the
// same words, by every program.

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace qm5 {

struct Address {
    std::string name;   // "single", "all", "001"...
    std::string prefix; // "", the broadcast prefix, "A001"...
};

// Names and captions are matched without regard to case.
std::optional<Address> findAddress(std::string_view name);
// The line settings of a speed ("19200,N,8,1").
std::optional<std::string> findSpeed(std::string_view name);

// The names, for help and error texts: "single, all, 001, 002, 003 or 004".
std::string addressNames();
std::string speedNames();

// Which device, at which settings.
struct SerialLine {
    std::string device;
    std::string settings;
};

// What went wrong with an option, in one line.
struct OptionError {
    std::string message;
};

class LineOptions {
public:
    LineOptions();
    void addTo(QCommandLineParser& parser) const;
    // Reads no device: --com is mapped to its path as the panel maps it.
    std::variant<SerialLine, OptionError> read(const QCommandLineParser& parser) const;

    // --address, for a program that talks to one projector (or to all).
    const QCommandLineOption address;
    std::variant<Address, OptionError> readAddress(const QCommandLineParser& parser) const;

private:
    const QCommandLineOption device_;
    const QCommandLineOption com_;
    const QCommandLineOption speed_;
};

} // namespace qm5
