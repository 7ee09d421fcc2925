#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "core/find_row.hpp"

namespace qm5 {

// One row of a reply table: the start of the reply's transcript and the
// status text it stands for.
struct DecodeRow {
    std::string_view key;
    std::string_view text;
};

// A reply table keyed by the first keyLength characters of the transcript:
// 4 for two reply characters (" 8 0"), 2 for one (" 3").
struct DecodeTable {
    std::size_t keyLength;
    std::span<const DecodeRow> rows;
};

// Text of the row whose key is the start of the transcript, if any. A
// transcript shorter than the key length cannot match, so a reply that is
// still arriving leaves the status line alone until its key is complete.
constexpr std::optional<std::string_view> lookupReplyKey(const DecodeTable& table, std::string_view transcript)
{
    if (const DecodeRow* row = findRow(table.rows, &DecodeRow::key, transcript.substr(0, table.keyLength)))
        return row->text;
    return std::nullopt;
}

} // namespace qm5
