#pragma once
// The words the virtual projector's options take: a name for each value of
// an enumeration, read back by one look-up.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace qm5::sim {

template <typename Value, std::size_t n> using Names = std::array<std::pair<std::string_view, Value>, n>;

// The value of an exact, case-sensitive name.
template <typename Value, std::size_t n>
constexpr std::optional<Value> valueNamed(const Names<Value, n>& names, std::string_view name)
{
    for (const auto& [text, value] : names) {
        if (text == name)
            return value;
    }
    return std::nullopt;
}

} // namespace qm5::sim
