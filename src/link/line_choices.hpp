#pragma once
// The line's options as the panel offers them, named by the captions of its
// option buttons: addresses "single", "all", "001" to "004", speeds "19200"
// and "9600", ports 1 and 2.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm5 {

struct Address {
    std::string name;   // "single", "all", "001"...
    std::string prefix; // "", "AFFF", "A001"...
};

std::optional<Address> findAddress(std::string_view name);
// The line settings of a speed ("19200,N,8,1").
std::optional<std::string> findSpeed(std::string_view name);

// The names, for help and error texts: "single, all, 001, 002, 003 or 004".
std::string addressNames();
std::string speedNames();

} // namespace qm5
