#include "combiners/CombinerScanner.h"

#include "combiners/CombinerMessages.h"

#include <charconv>
#include <cstring>
#include <ostream>

namespace {

constexpr char headerWord[] = "!!RC1.0";

struct RegisterWord {
    const char* word;
    GLenum name;
    bool readOnly;
    bool finalOnly;
    bool takesSuffix; // ".rgb", ".a" and ".b" belong to the word
};

constexpr RegisterWord registerWords[] = {
    {"col0", GL_PRIMARY_COLOR_NV, false, false, true},
    {"col1", GL_SECONDARY_COLOR_NV, false, false, true},
    {"spare0", GL_SPARE0_NV, false, false, true},
    {"spare1", GL_SPARE1_NV, false, false, true},
    {"tex0", GL_TEXTURE0_ARB, false, false, true},
    {"tex1", GL_TEXTURE1_ARB, false, false, true},
    {"tex2", GL_TEXTURE2_ARB, false, false, true},
    {"tex3", GL_TEXTURE3_ARB, false, false, true},
    {"const0", GL_CONSTANT_COLOR0_NV, true, false, true},
    {"const1", GL_CONSTANT_COLOR1_NV, true, false, true},
    {"fog", GL_FOG, true, false, true},
    {"zero", GL_ZERO, true, false, true},
    {"one", GL_ONE, true, false, true},
    {"discard", GL_DISCARD_NV, false, false, false},
    {"final_product", GL_E_TIMES_F_NV, true, true, false},
    {"color_sum", GL_SPARE0_PLUS_SECONDARY_COLOR_NV, true, true, false},
};

struct Suffix {
    const char* text;
    CombinerChannel channel;
};

constexpr Suffix suffixes[] = {
    {".rgb", CombinerChannel::rgb},
    {".a", CombinerChannel::alpha},
    {".b", CombinerChannel::blue},
};

struct Keyword {
    const char* word;
    CombinerTokenKind kind;
    GLenum scale = GL_NONE;
    GLenum bias = GL_NONE;
};

constexpr Keyword keywords[] = {
    {"rgb", CombinerTokenKind::rgb},
    {"alpha", CombinerTokenKind::alpha},
    {"expand", CombinerTokenKind::expand},
    {"half_bias", CombinerTokenKind::halfBias},
    {"unsigned", CombinerTokenKind::unsignedIdentity},
    {"unsigned_invert", CombinerTokenKind::unsignedInvert},
    {"mux", CombinerTokenKind::mux},
    {"sum", CombinerTokenKind::sum},
    {"lerp", CombinerTokenKind::lerp},
    {"out.rgb", CombinerTokenKind::outRgb},
    {"out.a", CombinerTokenKind::outA},
    {"clamp_color_sum", CombinerTokenKind::clampColorSum},
    {"bias_by_negative_one_half_scale_by_two", CombinerTokenKind::scaleBias, GL_SCALE_BY_TWO_NV,
     GL_BIAS_BY_NEGATIVE_ONE_HALF_NV},
    {"bias_by_negative_one_half", CombinerTokenKind::scaleBias, GL_NONE,
     GL_BIAS_BY_NEGATIVE_ONE_HALF_NV},
    {"scale_by_one_half", CombinerTokenKind::scaleBias, GL_SCALE_BY_ONE_HALF_NV, GL_NONE},
    {"scale_by_two", CombinerTokenKind::scaleBias, GL_SCALE_BY_TWO_NV, GL_NONE},
    {"scale_by_four", CombinerTokenKind::scaleBias, GL_SCALE_BY_FOUR_NV, GL_NONE},
};

struct Punctuation {
    char character;
    CombinerTokenKind kind;
};

constexpr Punctuation punctuation[] = {
    {'{', CombinerTokenKind::leftBrace}, {'}', CombinerTokenKind::rightBrace},
    {'(', CombinerTokenKind::leftParen}, {')', CombinerTokenKind::rightParen},
    {';', CombinerTokenKind::semicolon}, {',', CombinerTokenKind::comma},
    {'.', CombinerTokenKind::dot},       {'*', CombinerTokenKind::star},
    {'-', CombinerTokenKind::minus},     {'+', CombinerTokenKind::plus},
    {'=', CombinerTokenKind::equals},
};

bool startsWith(const char* text, const char* prefix)
{
    // The first character rules out almost every word without measuring it.
    return text[0] == prefix[0] && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::size_t letterRunLength(const char* text)
{
    std::size_t length = 0;
    while (isLetter(text[length]))
        ++length;
    return length;
}

// A sign, then digits with an optional point, or a point and digits; no exponent.
std::size_t numberLength(const char* text)
{
    std::size_t length = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const std::size_t start = length;
    while (isDigit(text[length]))
        ++length;
    const bool integerDigits = length > start;
    if (text[length] == '.') {
        std::size_t fraction = length + 1;
        while (isDigit(text[fraction]))
            ++fraction;
        if (integerDigits || fraction > length + 1)
            return fraction;
    }
    return integerDigits ? length : 0;
}

// The number as atof reads it. from_chars knows no leading '+' and no locale.
float numberValue(const char* text, std::size_t length)
{
    const char* first = text[0] == '+' ? text + 1 : text;
    double value = 0.0;
    std::from_chars(first, text + length, value);
    return static_cast<float>(value);
}

struct FixedWord {
    std::size_t length = 0;
    CombinerToken token;
};

// The longest register word (with its suffix) or keyword at text; equal lengths keep the first.
FixedWord longestFixedWord(const char* text)
{
    FixedWord best;
    for (const RegisterWord& word : registerWords) {
        if (!startsWith(text, word.word))
            continue;
        std::size_t length = std::strlen(word.word);
        CombinerChannel channel = CombinerChannel::none;
        if (word.takesSuffix)
            for (const Suffix& suffix : suffixes)
                if (startsWith(text + length, suffix.text)) {
                    length += std::strlen(suffix.text);
                    channel = suffix.channel;
                    break;
                }
        if (length <= best.length)
            continue;
        best.length = length;
        best.token = CombinerToken{};
        best.token.kind = CombinerTokenKind::reg;
        // The fog factor sits in the fog register's alpha, which only the final combiner sees.
        const bool fogAlpha = word.name == GL_FOG && channel == CombinerChannel::alpha;
        best.token.reg = {word.name, channel, word.readOnly, word.finalOnly || fogAlpha};
    }
    for (const Keyword& keyword : keywords) {
        if (!startsWith(text, keyword.word))
            continue;
        const std::size_t length = std::strlen(keyword.word);
        if (length <= best.length)
            continue;
        best.length = length;
        best.token = CombinerToken{};
        best.token.kind = keyword.kind;
        best.token.scale = keyword.scale;
        best.token.bias = keyword.bias;
    }
    return best;
}

} // namespace

CombinerScanner::CombinerScanner(const char* text, std::ostream& echo, CombinerMessages& messages)
    : cursor(text), echo(echo), messages(messages)
{
}

int CombinerScanner::line() const
{
    return lineNumber;
}

void CombinerScanner::skipBlockComment()
{
    cursor += 2;
    for (;;) {
        if (*cursor == '\0') {
            messages.addAtLine(lineNumber, "end-of-file in comment");
            return;
        }
        if (startsWith(cursor, "*/")) {
            cursor += 2;
            return;
        }
        if (*cursor == '\n')
            ++lineNumber;
        ++cursor;
    }
}

CombinerToken CombinerScanner::next()
{
    for (;;) {
        const char c = *cursor;
        if (c == '\0')
            return CombinerToken{};
        if (startsWith(cursor, headerWord)) {
            cursor += std::strlen(headerWord);
            continue;
        }
        if (startsWith(cursor, "/*")) {
            skipBlockComment();
            continue;
        }
        if (startsWith(cursor, "//") || c == '#') {
            while (*cursor != '\0' && *cursor != '\n')
                ++cursor;
            continue;
        }
        if (c == '\n') {
            ++lineNumber;
            ++cursor;
            continue;
        }
        if (c == ' ' || c == '\t') {
            ++cursor;
            continue;
        }

        // No fixed word starts with a digit, a sign or a point, so a number never ties one.
        if (const std::size_t length = numberLength(cursor); length > 0) {
            CombinerToken token;
            token.kind = CombinerTokenKind::number;
            token.number = numberValue(cursor, length);
            cursor += length;
            return token;
        }
        const FixedWord word = longestFixedWord(cursor);
        const std::size_t letters = letterRunLength(cursor);
        if (word.length > 0 && word.length >= letters) {
            cursor += word.length;
            return word.token;
        }
        if (letters > 0) {
            messages.addAtLine(lineNumber, "unrecognized token");
            cursor += letters;
            continue;
        }
        for (const Punctuation& mark : punctuation)
            if (mark.character == c) {
                ++cursor;
                CombinerToken token;
                token.kind = mark.kind;
                return token;
            }
        echo.put(c);
        ++cursor;
    }
}

const char* combinerRegisterWord(GLenum name)
{
    for (const RegisterWord& word : registerWords)
        if (word.name == name)
            return word.word;
    return nullptr;
}
