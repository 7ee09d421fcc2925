#include "link/line_choices.hpp"

#include "link/link_options.hpp"
#include "link/lower_case.hpp"
#include "window/layout_table.hpp"

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

} // namespace

std::optional<Address> findAddress(std::string_view name)
{
    for (const AddressOption& option : addressOptions) {
        if (lowerCaption(option.control) == name)
            return Address{std::string(name), std::string(option.prefix)};
    }
    return std::nullopt;
}

std::optional<std::string> findSpeed(std::string_view name)
{
    for (const SpeedOption& option : speedOptions) {
        if (lowerCaption(option.control) == name)
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

} // namespace qm5
