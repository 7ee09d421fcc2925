#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm5 {

// Raw pressure reading from a "CR PRESSURE" reply transcript. Blanks are
// ignored (the transcript puts one after every reply character); then the
// longest leading [+-]digits[.digits] is read and rounded to the nearest
// integer, halves to even. No number (and a point without a digit before it,
// ".6") reads 0; exponents and radix prefixes
// are not part of a number ("1E3" reads 1, "&H10" reads 0). A number with
// more than 18 significant digits gives nothing, so a flooded line cannot
// overflow the reader.
std::optional<std::int64_t> readPressureReading(std::string_view transcript);

// Nearest integer, halves to the even neighbour, independent of the FPU's
// current rounding mode.
double roundHalfEven(double x);

// hPa for a raw reading: ((5 * n / 1024) - 0.204) / 0.00459 + 150, in that
// order in double. Nothing when the result does not fit 32 bits.
std::optional<std::int32_t> pressureFromReading(std::int64_t reading);

// Status text such as "650 hPa", or nothing when the reading is out of range.
std::optional<std::string> pressureText(std::string_view transcript);

} // namespace qm5
