// The pressure readout on arbitrary transcripts: the reading must never throw,
// must agree with an independent reading of the same number, must not care
// about the blanks the transcript puts between characters, and must round
// halves to even the same way whatever the size of the number.

#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "decode/pressure.hpp"
#include "link/transcript.hpp"

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

std::optional<std::int64_t> read(std::string_view text)
{
    try {
        return qm5::ReadPressureReading(text);
    } catch (...) {
        std::abort();
    }
}

std::string withoutBlanks(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c != ' ')
            out += c;
    }
    return out;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number at the start of a blank-free text, split into its parts.
struct Number {
    bool negative = false;
    std::string integer;  // leading zeros removed
    std::string fraction; // trailing zeros removed
    std::size_t fractionDigits = 0;
    std::string text;     // sign, digits, point and digits as written
};

Number scanNumber(std::string_view s)
{
    Number n;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        n.negative = s[i] == '-';
        ++i;
    }
    for (; i < s.size() && isDigit(s[i]); ++i) {
        if (!n.integer.empty() || s[i] != '0')
            n.integer += s[i];
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            n.fraction += s[i];
            ++n.fractionDigits;
        }
        while (!n.fraction.empty() && n.fraction.back() == '0')
            n.fraction.pop_back();
    }
    n.text = std::string(s.substr(0, i));
    return n;
}

// "-12", "0", "650": a plain decimal integer as to_string writes it.
bool isPlainInteger(std::string_view s)
{
    const bool negative = !s.empty() && s[0] == '-';
    if (negative)
        s.remove_prefix(1);
    if (s.empty() || (s[0] == '0' && (s.size() > 1 || negative)))
        return false;
    for (const char c : s) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

void checkRounding(double x)
{
    const double got = qm5::RoundHalfEven(x);
    if (std::isnan(x))
        require(std::isnan(got));
    else
        require(got == std::nearbyint(x));
}

long double exactPressure(std::int64_t n)
{
    return (5.0L * static_cast<long double>(n) / 1024.0L - 0.204L) / 0.00459L + 150.0L;
}

void checkPressure(std::int64_t n)
{
    const auto p = qm5::PressureFromReading(n);
    const long double exact = exactPressure(n);
    if (n >= -6553 && n <= 6553) {
        // The sensor's whole range gives a 16-bit pressure, rounded to nearest.
        require(p.has_value());
        require(*p >= -32768 && *p <= 32767);
        require(std::fabs(static_cast<long double>(*p) - exact) <= 0.5L + 1e-9L);
        // A higher reading never shows a lower pressure.
        if (n < 6553) {
            const auto next = qm5::PressureFromReading(n + 1);
            require(next.has_value() && *next >= *p);
        }
        return;
    }
    if (p) {
        require(std::fabs(static_cast<long double>(*p) - exact) <= 0.5L + 1e-6L * std::fabs(exact));
    } else {
        // Nothing is refused that would have fitted comfortably.
        require(std::fabs(exact) > 2.0e9L);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    require(std::fegetround() == FE_TONEAREST);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto reading = read(text);

    const std::string bare = withoutBlanks(text);
    const Number number = scanNumber(bare);

    // More than 18 significant digits is refused, anything shorter is read.
    if (number.integer.size() > 18) {
        require(!reading);
    } else {
        require(reading.has_value());
        const std::int64_t whole = number.integer.empty() ? 0 : std::stoll(number.integer);
        // Half to even, decided on the digits as written.
        const bool up = number.fraction > "5" || (number.fraction == "5" && whole % 2 != 0);
        const std::int64_t magnitude = whole + (up ? 1 : 0);
        require(*reading == (number.negative ? -magnitude : magnitude));

        // Short numbers cross-checked against the C library's reading; a
        // double holds them closely enough that no half is misjudged.
        if (number.integer.size() <= 9 && number.fractionDigits <= 6) {
            const std::string digits = number.text.empty() ? std::string("0") : number.text;
            const double v = std::strtod(digits.c_str(), nullptr);
            require(static_cast<double>(*reading) == std::nearbyint(v));
        }
    }

    // The blanks of the transcript never split a number, and what follows a
    // number cannot change it.
    require(read(bare) == reading);
    require(read(qm5::RenderTranscript(text)) == reading);
    require(read(std::string(text) + " CR ") == reading);
    if (!bare.empty() && (isDigit(bare[0]) || bare[0] == '.')) {
        const auto minus = read("-" + bare);
        const auto plus = read("+" + bare);
        require(plus == reading);
        require(minus.has_value() == reading.has_value());
        if (reading)
            require(*minus == -*reading);
    }

    // The status text is the pressure of the reading, as a plain integer.
    const auto status = qm5::PressureText(text);
    if (!reading) {
        require(!status);
    } else {
        checkPressure(*reading);
        const auto hpa = qm5::PressureFromReading(*reading);
        require(status.has_value() == hpa.has_value());
        if (status) {
            const std::string_view s(*status);
            require(s.ends_with(" hPa"));
            const std::string_view digits = s.substr(0, s.size() - 4);
            require(isPlainInteger(digits));
            require(std::stoll(std::string(digits)) == *hpa);
        }
        checkRounding(static_cast<double>(*reading) + 0.5);
        checkRounding(static_cast<double>(*reading) - 0.5);
        checkRounding(static_cast<double>(*reading) / 1024.0);
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
