// The scan functions convert most words without sscanf; here they must give exactly what sscanf
// gives (same success, same bits, target untouched on failure) on a large generated set of words
// and on every edge case we know of.
#include "shell/Scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

template <typename T> struct Outcome {
    bool converted;
    T value;
};

template <typename T> Outcome<T> bySscanf(const std::string& word, const char* format)
{
    Outcome<T> outcome{false, T(12345)};
    T value{};
    if (std::sscanf(word.c_str(), format, &value) == 1)
        outcome = {true, value};
    return outcome;
}

template <typename T, typename Scan> Outcome<T> byScan(const std::string& word, Scan scan)
{
    Outcome<T> outcome{false, T(12345)};
    outcome.converted = scan(std::string_view(word), outcome.value);
    return outcome;
}

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Counts disagreements and reports the first few words that show one.
class Agreement {
public:
    void check(const std::string& word)
    {
        const auto i = byScan<std::int32_t>(word, scanInt);
        const auto iRef = bySscanf<int>(word, "%d");
        note(word, "%d", i.converted == iRef.converted && i.value == iRef.value);
        const auto u = byScan<std::uint32_t>(word, scanUnsigned);
        const auto uRef = bySscanf<unsigned>(word, "%u");
        note(word, "%u", u.converted == uRef.converted && u.value == uRef.value);
        const auto x = byScan<std::uint32_t>(word, scanHex);
        const auto xRef = bySscanf<unsigned>(word, "%x");
        note(word, "%x", x.converted == xRef.converted && x.value == xRef.value);
        const auto f = byScan<float>(word, scanFloat);
        const auto fRef = bySscanf<float>(word, "%f");
        note(word, "%f", f.converted == fRef.converted && bitsOf(f.value) == bitsOf(fRef.value));
        ++words;
    }

    int failures = 0;
    int words = 0;

private:
    void note(const std::string& word, const char* format, bool same)
    {
        if (same)
            return;
        if (++failures <= 20)
            ADD_FAILURE() << format << " differs from sscanf on \"" << word << "\" (" << word.size()
                          << " bytes)";
    }
};

std::string repeat(char c, std::size_t count)
{
    return std::string(count, c);
}

const std::vector<std::string> edgeCases = {
    // Empty, blank and lone punctuation.
    "", " ", "\t\n\v\f\r", ".", "-", "+", "-.", "+.", ".-", "--1", "+-1", "-+1", "- 1", "e", "E5",
    "e5", ".e1", "x", "0x", "0X", "-0x", "0xg", "0x-1", "+0x1F", "-0x1F", "0x0x1",
    // Exponents cut short or malformed.
    "1e", "1E", "1e+", "1e-", "1e+-2", "1ee2", "1e2e3", "1.e2", ".5e-1", "1.5e3.2", "1..2", "1.2.3",
    // Zeros and signs.
    "0", "-0", "+0", "-0.0", "0.0e0", "000000000000000000000001", "-000", "0e999999",
    // Special values that only sscanf converts.
    "inf", "-INF", "+Infinity", "infinit", "nan", "NaN", "-nan(123)", "nanx", "in", "na", "0x1p3",
    "0X1.8P1", "-0x.8p-2", "0x1p", "0xp1", "0x1.fffffep127", "0x1p-149",
    // Float limits: the largest float, the rounding boundary above it, overflow.
    "3.40282347e38", "3.4028235e38", "3.40282356e38", "3.40282357e38", "3.4028236e38", "1e39",
    "-1e39", "1e400",
    // The smallest normal and the denormals, including rounding to and away from zero.
    "1.17549435e-38", "1.1754942e-38", "1.4e-45", "1.401298464e-45", "7.006492321e-46",
    "7.006492322e-46", "7e-46", "0.7e-45", "1e-46", "1e-50", "-1e-50", "2.8e-45", "1e-400",
    // Halfway cases between neighbouring floats.
    "16777217", "16777217.0000000001", "33554435", "0.1", "0.2", "0.3", "1.00000006",
    "1.000000059604644775390625", "1.0000000596046447753906251",
    // Integer limits of every width involved.
    "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967295", "4294967296",
    "-4294967295", "-4294967296", "9223372036854775807", "9223372036854775808",
    "-9223372036854775808", "-9223372036854775809", "18446744073709551615", "18446744073709551616",
    "-18446744073709551615", "-18446744073709551616", "99999999999999999999999999",
    "-99999999999999999999999999", "ffffffff", "FFFFFFFF", "100000000", "ffffffffffffffff",
    "10000000000000000", "-ffffffffffffffff", "-1", "0xffffffffffffffffff",
    // Trailing junk.
    "12abc", "29.97", "0.5x", "7,5", "1 2", "3\n4", "5f", "6L", "10000003", "fade", "FACE.d",
    // Words long enough for the slow path.
    "1." + repeat('0', 80) + "1", repeat('9', 70), "0." + repeat('0', 60) + "1e60",
    repeat('1', 200) + "e-200", "-" + repeat('0', 100) + "5",
    // A NUL ends what the scan sees.
    std::string("\0"
                "5",
                2),
    std::string("5\0"
                "5",
                3),
    std::string(" \0"
                "1",
                3),
    std::string("-\0"
                "1",
                3),
    std::string("1e\0"
                "5",
                4)};

TEST(ScanAgreement, EdgeCasesConvertExactlyAsSscanf)
{
    Agreement agreement;
    for (const std::string& word : edgeCases) {
        agreement.check(word);
        agreement.check(" " + word);
        agreement.check(word + "e");
    }
    EXPECT_EQ(agreement.failures, 0);
}

// Words built from the pieces scene text is made of, in every order and length, and some of the
// pieces it should not contain.
std::string generatedWord(std::mt19937& random)
{
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto digits = [&](int count, const char* alphabet, int size) {
        std::string run;
        for (int i = 0; i < count; ++i)
            run += alphabet[pick(size)];
        return run;
    };
    static const char* const blanks[] = {"", "", "", "", " ", "\t", " \n "};
    static const char* const signs[] = {"", "", "", "-", "+", "-", "--", "+-"};
    static const char* const junk[] = {"",  "",    "",    "",   "x", ".", "e",
                                       "-", "abc", "1.2", "e+", "f", " 7"};
    const bool hexy = pick(6) == 0;
    const char* alphabet = hexy ? "0123456789abcdefABCDEF" : "0123456789";
    const int alphabetSize = hexy ? 22 : 10;
    // Mostly short words as scene text has them, sometimes long runs.
    const int longest = pick(8) == 0 ? 40 : 9;
    std::string word = blanks[pick(7)];
    word += signs[pick(8)];
    if (pick(5) == 0)
        word += repeat('0', static_cast<std::size_t>(pick(20)));
    if (hexy && pick(3) == 0)
        word += pick(2) ? "0x" : "0X";
    word += digits(pick(longest), alphabet, alphabetSize);
    if (pick(2) == 0)
        word += "." + digits(pick(longest), "0123456789", 10);
    if (pick(3) == 0) {
        word += pick(2) ? "e" : "E";
        word += signs[pick(6)];
        // Exponents near and beyond the float range, where rounding to denormals and overflow
        // happen.
        word += std::to_string(pick(4) == 0 ? pick(60) : 30 + pick(25));
    }
    word += junk[pick(13)];
    return word;
}

TEST(ScanAgreement, GeneratedWordsConvertExactlyAsSscanf)
{
    constexpr int generatedWords = 200000;
    std::mt19937 random(20261208u);
    Agreement agreement;
    for (int i = 0; i < generatedWords; ++i)
        agreement.check(generatedWord(random));
    EXPECT_EQ(agreement.failures, 0) << "of " << agreement.words << " words";
}

// Every float printed with the shortest and with many digits reads back as the same float, both
// ways; this covers the whole exponent range, denormals included.
TEST(ScanAgreement, PrintedFloatsAcrossTheRangeConvertExactlyAsSscanf)
{
    std::mt19937 random(7u);
    Agreement agreement;
    char text[64];
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t bits = static_cast<std::uint32_t>(random()) & 0x7F7FFFFFu;
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
        agreement.check(text);
        std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
        agreement.check(text);
        std::snprintf(text, sizeof text, "-%.17g", static_cast<double>(value) * 1.0000001);
        agreement.check(text);
    }
    EXPECT_EQ(agreement.failures, 0);
}

} // namespace
