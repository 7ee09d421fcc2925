#include "console/line_options.hpp"

#include "console/lower_case.hpp"
#include "layout/layout_table.hpp"
#include "link/port_map.hpp"
#include "panel/link_options.hpp"

namespace qm5 {

namespace {

std::string lowerCaption(std::string_view control)
{
    return lowerCase(qm5::captionOf(control));
}

template <typename Options> std::string namesOf(const Options& options)
{
    std::string out;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (i > 0)
            out += i + 1 == options.size() ? " or " : ", ";
        out += lowerCaption(options[i].control);
    }
    return out;
}

std::string text(const QCommandLineParser& parser, const QCommandLineOption& option)
{
    return parser.value(option).toStdString();
}

} // namespace

std::optional<Address> findAddress(std::string_view name)
{
    const std::string wanted = lowerCase(name);
    for (const AddressOption& option : addressOptions) {
        if (lowerCaption(option.control) == wanted)
            return Address{wanted, std::string(option.prefix)};
    }
    return std::nullopt;
}

std::optional<std::string> findSpeed(std::string_view name)
{
    const std::string wanted = lowerCase(name);
    for (const SpeedOption& option : speedOptions) {
        if (lowerCaption(option.control) == wanted)
            return std::string(option.settings);
    }
    return std::nullopt;
}

std::string addressNames()
{
    return namesOf(addressOptions);
}

std::string speedNames()
{
    return namesOf(speedOptions);
}

LineOptions::LineOptions()
    : address("address", QString::fromStdString("Projector address: " + addressNames() + " (default single)."), "WHICH",
        "single")
    , device_("device", "Serial device of the line, e.g. /dev/ttyUSB0 (default: port 1 as the panel maps it).", "PATH")
    , com_("com", "Port 1 or 2, as the panel maps it to a device.", "N")
    , speed_("speed", QString::fromStdString("Line speed: " + speedNames() + " (default 19200)."), "BAUD", "19200")
{ }

void LineOptions::addTo(QCommandLineParser& parser) const
{
    parser.addOptions({device_, com_, speed_});
}

std::variant<SerialLine, OptionError> LineOptions::read(const QCommandLineParser& parser) const
{
    SerialLine line;
    if (parser.isSet(device_) && parser.isSet(com_))
        return OptionError{"--device and --com both name the line; give one of them"};
    if (parser.isSet(device_)) {
        line.device = text(parser, device_);
        if (line.device.empty())
            return OptionError{"--device wants a path, e.g. /dev/ttyUSB0"};
    } else {
        const std::string port = parser.isSet(com_) ? text(parser, com_) : "1";
        line.device = port.size() == 1 ? devicePathForPort(port[0] - '0') : std::string();
        if (line.device.empty())
            return OptionError{"--com wants 1 or 2"};
    }
    const auto settings = findSpeed(text(parser, speed_));
    if (!settings)
        return OptionError{"--speed wants " + speedNames()};
    line.settings = *settings;
    return line;
}

std::variant<Address, OptionError> LineOptions::readAddress(const QCommandLineParser& parser) const
{
    if (const auto chosen = findAddress(text(parser, address)))
        return *chosen;
    return OptionError{"--address wants " + addressNames()};
}

} // namespace qm5
