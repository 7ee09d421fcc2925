// The pressure readout on arbitrary transcripts, against a reading of the same
// number written apart from it, and the conversion to hPa over every reading.

#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "decode/pressure.hpp"
#include "fuzz_check.hpp"
#include "link/transcript.hpp"

namespace {

using qm5::fuzz::require;

// The reading by the digits as written: blanks dropped, sign, integer part
// without leading zeros (more than 18 digits gives nothing), and halves to even
// decided on the fraction's digits.
std::optional<std::int64_t> referenceReading(std::string_view text)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::string s(text);
    std::erase(s, ' ');
    std::size_t i = 0;
    const bool negative = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::string integer;
    for (; i < s.size() && isDigit(s[i]); ++i)
        if (!integer.empty() || s[i] != '0')
            integer += s[i];
    std::string fraction;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && isDigit(s[i]); ++i)
            fraction += s[i];
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (integer.size() > 18)
        return std::nullopt;
    const std::int64_t whole = integer.empty() ? 0 : std::stoll(integer);
    const bool up = fraction > "5" || (fraction == "5" && whole % 2 != 0);
    return negative ? -(whole + up) : whole + up;
}

void checkRounding(double x)
{
    const double got = qm5::roundHalfEven(x);
    require(std::isnan(x) ? std::isnan(got) : got == std::nearbyint(x));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = qm5::fuzz::text(data, size);
    const auto reading = qm5::readPressureReading(text);
    require(reading == referenceReading(text));
    // The transcript's blanks never split a number; what follows one never changes it.
    require(qm5::readPressureReading(qm5::renderTranscript(text)) == reading);
    require(qm5::readPressureReading(std::string(text) + " CR ") == reading);

    const auto status = qm5::pressureText(text);
    require(reading || !status);
    if (reading) {
        const std::int64_t n = *reading;
        const auto hpa = qm5::pressureFromReading(n);
        require(status == (hpa ? std::optional(std::to_string(*hpa) + " hPa") : std::nullopt));
        const long double exact = (5.0L * n / 1024.0L - 0.204L) / 0.00459L + 150.0L;
        if (n >= -6553 && n <= 6553) {
            // The sensor's whole range: rounded to nearest, never lower for a higher reading.
            require(hpa && std::fabs(*hpa - exact) <= 0.5L + 1e-9L);
            require(n == 6553 || qm5::pressureFromReading(n + 1) >= hpa);
        } else if (hpa) {
            require(std::fabs(*hpa - exact) <= 0.5L + 1e-6L * std::fabs(exact));
        } else {
            // Only what does not fit 32 bits is refused.
            require(std::fabs(exact) > 2.0e9L);
        }
        checkRounding(static_cast<double>(n) + 0.5);
        checkRounding(static_cast<double>(n) - 0.5);
        checkRounding(static_cast<double>(n) / 1024.0);
    }

    // Rounding of any double the input spells, infinities and NaNs included.
    for (std::size_t at = 0; at + sizeof(double) <= size; at += sizeof(double)) {
        double x;
        std::memcpy(&x, data + at, sizeof x);
        checkRounding(x);
        checkRounding(x / 4096.0);
    }
    return 0;
}
