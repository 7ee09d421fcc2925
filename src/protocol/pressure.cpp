#include "protocol/pressure.hpp"

#include <cmath>
#include <limits>

namespace qm5 {

namespace {

// Walks the transcript as if every blank had been removed from it.
class SpacelessCursor {
public:
    explicit SpacelessCursor(std::string_view text) : text_(text) { skipBlanks(); }

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    bool peekDigit() const { return peek() >= '0' && peek() <= '9'; }
    void advance()
    {
        ++pos_;
        skipBlanks();
    }

private:
    void skipBlanks()
    {
        while (pos_ < text_.size() && text_[pos_] == ' ') {
            ++pos_;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// 18 significant digits always fit an int64 with room to round up.
constexpr int maxIntegerDigits = 18;

// Whether the fraction at the cursor, if any, rounds the whole number up,
// halves to even. Decided textually: only its first digit and whether
// anything non-zero follows matter, so "12.5" is an exact half however it is
// written and no double of a long string is ever formed.
bool fractionRoundsUp(SpacelessCursor& cur, std::int64_t whole)
{
    if (cur.peek() != '.') {
        return false;
    }
    cur.advance();
    int first = -1;
    bool restNonZero = false;
    for (; cur.peekDigit(); cur.advance()) {
        const int digit = cur.peek() - '0';
        if (first < 0) {
            first = digit;
        } else if (digit != 0) {
            restNonZero = true;
        }
    }
    if (first > 5 || (first == 5 && restNonZero)) {
        return true;
    }
    return first == 5 && (whole % 2) != 0;
}

} // namespace

std::optional<std::int64_t> readPressureReading(std::string_view transcript)
{
    SpacelessCursor cur(transcript);

    bool negative = false;
    if (cur.peek() == '+' || cur.peek() == '-') {
        negative = cur.peek() == '-';
        cur.advance();
    }

    // Integer part, leading zeros dropped so "0512" and a long run of zeros
    // read like the plain number.
    std::int64_t magnitude = 0;
    int significant = 0;
    bool anyDigit = false;
    bool tooLong = false;
    for (; cur.peekDigit(); cur.advance()) {
        const int digit = cur.peek() - '0';
        anyDigit = true;
        if (significant == 0 && digit == 0) {
            continue;
        }
        if (++significant > maxIntegerDigits) {
            tooLong = true; // keep consuming so the whole number is read
            continue;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (tooLong) {
        return std::nullopt;
    }
    // A number begins with a digit: ".6" and "-.6" are no number and read 0.
    if (!anyDigit) {
        return 0;
    }

    if (fractionRoundsUp(cur, magnitude)) {
        ++magnitude;
    }
    return negative ? -magnitude : magnitude;
}

double roundHalfEven(double x)
{
    const double below = std::floor(x);
    const double diff = x - below;
    if (diff < 0.5) {
        return below;
    }
    if (diff > 0.5) {
        return below + 1.0;
    }
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::optional<std::int32_t> pressureFromReading(std::int64_t reading)
{
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 5;
    if (reading > limit || reading < -limit) {
        return std::nullopt;
    }
    const std::int64_t m = reading * 5;
    double x = static_cast<double>(m) / 1024.0;
    x -= 0.204;
    x /= 0.00459;
    x += 150.0;
    const double p = roundHalfEven(x);
    if (!(p >= std::numeric_limits<std::int32_t>::min() && p <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(p);
}

std::optional<std::string> pressureText(std::string_view transcript)
{
    const auto reading = readPressureReading(transcript);
    if (!reading) {
        return std::nullopt;
    }
    const auto hpa = pressureFromReading(*reading);
    if (!hpa) {
        return std::nullopt;
    }
    return std::to_string(*hpa) + " hPa";
}

} // namespace qm5
