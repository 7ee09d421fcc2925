#pragma once
// For every fuzz target: a check that stops the run, and the input as text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace qm5::fuzz {

inline void require(bool ok)
{
    if (!ok)
        std::abort();
}

inline std::string_view text(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace qm5::fuzz
