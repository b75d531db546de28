#include "platform/UserSettings.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

static std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

static std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Decimal or 0x-hexadecimal; anything from -2^31 to 2^32-1, stored as the 32 bits a registry
// DWORD would hold.
static std::optional<std::int32_t> parseValue(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    std::size_t pos = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        pos = 1;
    }
    int base = 10;
    if (text.size() > pos + 1 && text[pos] == '0' &&
        (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size())
        return std::nullopt;
    unsigned long long magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const int c = static_cast<unsigned char>(text[pos]);
        int digit = -1;
        if (std::isdigit(c))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(c))
            digit = std::tolower(c) - 'a' + 10;
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (negative) {
        if (magnitude > 0x80000000ull)
            return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<long long>(magnitude));
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
}

UserSettings UserSettings::fromText(const std::string& text)
{
    UserSettings settings;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == '#')
            continue;
        const auto equals = content.find('=');
        if (equals == std::string::npos)
            continue;
        const auto parsed = parseValue(trimmed(content.substr(equals + 1)));
        if (parsed)
            settings.values.emplace_back(lowered(trimmed(content.substr(0, equals))), *parsed);
    }
    return settings;
}

std::string UserSettings::filePath()
{
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        base = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        return {};
    return base + "/Brindlex/Staverly/Quillomark.conf";
}

UserSettings UserSettings::load()
{
    const std::string path = filePath();
    if (path.empty())
        return {};
    std::ifstream file(path);
    if (!file)
        return {};
    std::ostringstream text;
    text << file.rdbuf();
    return fromText(text.str());
}

std::optional<std::int32_t> UserSettings::value(const std::string& name) const
{
    const std::string key = lowered(name);
    // A later line repeats the name: the last one wins, as a later registry write would.
    std::optional<std::int32_t> found;
    for (const auto& [valueName, number] : values)
        if (valueName == key)
            found = number;
    return found;
}
