#pragma once
#include <string>
#include <string_view>

namespace qm5 {

// Decoders that show pieces of the transcript itself. They cut at fixed
// positions without looking at what stands there, so a short or odd reply
// simply shows fewer characters (or its "CR " token).

// "CR3": the leading blank and the first 19 reply characters, then " Hour Use".
std::string lampHoursText(std::string_view transcript);

// "CR6": reply characters 1 to 5 and 8 to 11, as two sensor readings.
std::string temperatureText(std::string_view transcript);

} // namespace qm5
