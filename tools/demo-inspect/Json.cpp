#include "Json.h"

#include "platform/OffscreenSurface.h"
#include "shell/GlStartup.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace {

constexpr unsigned char firstNonAscii = 0x80;
constexpr unsigned char twoByteLead = 0xC0;
constexpr unsigned char continuation = 0x80;
constexpr unsigned char continuationBits = 0x3F;
constexpr int continuationShift = 6;

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        const auto second = static_cast<unsigned char>(text[i + 1 < text.size() ? i + 1 : i]);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
            return false;
        i += length;
    }
    return true;
}

void appendLine(std::string& out, const Json& value)
{
    const char* separator = "";
    if (value.is_object()) {
        out += '{';
        for (const auto& item : value.items()) {
            out += separator;
            out += Json(item.key()).dump();
            out += ": ";
            appendLine(out, item.value());
            separator = ", ";
        }
        out += '}';
    } else if (value.is_array()) {
        out += '[';
        for (const Json& item : value) {
            out += separator;
            appendLine(out, item);
            separator = ", ";
        }
        out += ']';
    } else {
        out += value.dump();
    }
}

} // namespace

Json jsonText(const std::string& bytes)
{
    if (isUtf8(bytes))
        return bytes;
    std::string latin1;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < firstNonAscii) {
            latin1 += c;
        } else {
            latin1 += static_cast<char>(twoByteLead | (byte >> continuationShift));
            latin1 += static_cast<char>(continuation | (byte & continuationBits));
        }
    }
    return latin1;
}

Json jsonNumber(float value)
{
    if (!std::isfinite(value))
        return nullptr;
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    const std::string_view digits(text, static_cast<std::size_t>(length));
    // Nine digits without a point or exponent: an integer, printed as one.
    if (digits.find_first_of(".e") == std::string_view::npos && digits != "-0") {
        std::int64_t whole = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), whole);
        return whole;
    }
    double readBack = 0.0;
    std::from_chars(digits.data(), digits.data() + digits.size(), readBack);
    return readBack;
}

std::string dumpLine(const Json& value)
{
    std::string out;
    appendLine(out, value);
    return out;
}

bool openInspectContext(OffscreenSurface& surface)
{
    if (const char* failure = surface.create(16, 16)) {
        std::fprintf(stderr, "%s\n", failure);
        return false;
    }
    initialiseGL();
    return true;
}
