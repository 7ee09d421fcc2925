#pragma once
// The one look-up every table of the program is read with: the first row
// whose field equals a key. rowIndex forms no pointer, so it stays a
// constant expression in a sanitized build as well.

#include <cstddef>
#include <iterator>
#include <ranges>

namespace qm5 {

// Where the first row with row.*field == key stands; rows' size when none does.
template <std::ranges::random_access_range Rows, typename Field, typename Key>
constexpr std::size_t rowIndex(const Rows& rows, Field field, const Key& key)
{
    std::size_t i = 0;
    while (i < std::size(rows) && !(rows[i].*field == key))
        ++i;
    return i;
}

// That row, or nullptr.
template <std::ranges::random_access_range Rows, typename Field, typename Key>
constexpr auto findRow(const Rows& rows, Field field, const Key& key) -> decltype(&rows[0])
{
    const std::size_t i = rowIndex(rows, field, key);
    return i < std::size(rows) ? &rows[i] : nullptr;
}

} // namespace qm5
