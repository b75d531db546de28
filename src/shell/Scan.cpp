#include "shell/Scan.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <string>
#include <system_error>

// Scene text is mostly short decimal words, so those are converted here with the formatted
// scan's exact rules; everything else (hexadecimal floats, "inf", "nan", very long words, values
// out of float range) goes to sscanf itself, which stays the reference.

namespace {

// Longer words keep sscanf: they are rare, and the reference has no length limit.
constexpr std::size_t fastWordLimit = 64;

// The word is copied first: glibc's sscanf measures its whole input, which is quadratic when
// callers scan straight out of a long mapped file.
template <typename T> bool scanWith(std::string_view word, const char* format, T& out)
{
    const std::string copy(word);
    T value{};
    if (std::sscanf(copy.c_str(), format, &value) != 1)
        return false;
    out = value;
    return true;
}

// The C locale's white space, which every conversion skips first.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// What strtoul returns for a sign and a run of digits: the magnitude saturates at the widest
// unsigned value, and a minus sign negates it modulo 2^64.
struct Magnitude {
    bool negative = false;
    bool overflow = false;
    std::uint64_t value = 0;
};

// Reads sign, optional "0x" (base 16 only) and digits; false where the scan finds no number.
bool readMagnitude(std::string_view word, int base, Magnitude& out)
{
    std::size_t at = 0;
    while (at < word.size() && isBlank(word[at]))
        ++at;
    if (at < word.size() && (word[at] == '-' || word[at] == '+')) {
        out.negative = word[at] == '-';
        ++at;
    }
    bool gotDigit = false;
    // The scan takes "0x" as a prefix and keeps the zero, so "0x" alone reads as 0.
    if (base == 16 && at + 1 < word.size() && word[at] == '0' &&
        (word[at + 1] == 'x' || word[at + 1] == 'X')) {
        gotDigit = true;
        at += 2;
    }
    constexpr std::uint64_t widest = std::numeric_limits<std::uint64_t>::max();
    for (; at < word.size(); ++at) {
        const int digit =
            base == 16 ? hexDigitValue(word[at]) : (isDigit(word[at]) ? word[at] - '0' : -1);
        if (digit < 0)
            break;
        gotDigit = true;
        const auto b = static_cast<std::uint64_t>(base);
        const auto d = static_cast<std::uint64_t>(digit);
        if (out.value > (widest - d) / b)
            out.overflow = true;
        else
            out.value = out.value * b + d;
    }
    return gotDigit;
}

// strtoul's result, as "%u" and "%x" keep its low 32 bits.
std::uint32_t asUnsigned(const Magnitude& m)
{
    if (m.overflow)
        return std::numeric_limits<std::uint32_t>::max();
    const std::uint64_t value = m.negative ? 0u - m.value : m.value;
    return static_cast<std::uint32_t>(value);
}

// strtol's result, saturating at the 64-bit limits, of which "%d" keeps the low 32 bits.
std::int32_t asInt(const Magnitude& m)
{
    constexpr std::uint64_t smallestMagnitude = std::uint64_t{1} << 63u;
    std::uint64_t bits = 0;
    if (m.negative)
        bits = m.overflow || m.value > smallestMagnitude ? smallestMagnitude : 0u - m.value;
    else
        bits = m.overflow || m.value >= smallestMagnitude ? smallestMagnitude - 1u : m.value;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

enum class FastFloat : std::uint8_t { Converted, NoNumber, AskSscanf };

// The decimal forms: sign, digits with one '.', and an exponent. from_chars rounds exactly as
// strtof does, and stops where the scan's own buffer would leave strtof to stop.
FastFloat fastFloat(std::string_view word, float& out)
{
    if (word.size() > fastWordLimit)
        return FastFloat::AskSscanf;
    std::size_t at = 0;
    while (at < word.size() && isBlank(word[at]))
        ++at;
    bool negative = false;
    if (at < word.size() && (word[at] == '-' || word[at] == '+')) {
        negative = word[at] == '-';
        ++at;
    }
    if (at == word.size())
        return FastFloat::NoNumber;
    const char first = word[at];
    if (first == 'i' || first == 'I' || first == 'n' || first == 'N')
        return FastFloat::AskSscanf;
    if (first == '0' && at + 1 < word.size() && (word[at + 1] == 'x' || word[at + 1] == 'X'))
        return FastFloat::AskSscanf;
    // from_chars would take a second sign; the scan does not.
    if (!isDigit(first) && first != '.')
        return FastFloat::NoNumber;
    float value = 0.0f;
    const char* begin = word.data() + at;
    const auto [end, error] = std::from_chars(begin, word.data() + word.size(), value);
    if (error == std::errc::result_out_of_range)
        return FastFloat::AskSscanf;
    if (error != std::errc{} || end == begin)
        return FastFloat::NoNumber;
    out = negative ? -value : value;
    return FastFloat::Converted;
}

} // namespace

bool scanInt(std::string_view word, std::int32_t& out)
{
    Magnitude magnitude;
    if (!readMagnitude(word, 10, magnitude))
        return false;
    out = asInt(magnitude);
    return true;
}

bool scanUnsigned(std::string_view word, std::uint32_t& out)
{
    Magnitude magnitude;
    if (!readMagnitude(word, 10, magnitude))
        return false;
    out = asUnsigned(magnitude);
    return true;
}

bool scanFloat(std::string_view word, float& out)
{
    switch (fastFloat(word, out)) {
    case FastFloat::Converted:
        return true;
    case FastFloat::NoNumber:
        return false;
    case FastFloat::AskSscanf:
        break;
    }
    return scanWith(word, "%f", out);
}

bool scanHex(std::string_view word, std::uint32_t& out)
{
    Magnitude magnitude;
    if (!readMagnitude(word, 16, magnitude))
        return false;
    out = asUnsigned(magnitude);
    return true;
}
