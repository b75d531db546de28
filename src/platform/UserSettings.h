#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Per-user overrides of the display settings: the text file
// $XDG_CONFIG_HOME/Brindlex/Staverly/Quillomark.conf, one "Name=Value" a line.
class UserSettings {
public:
    // Reads the file if there is one; never creates it.
    static UserSettings load();
    static UserSettings fromText(const std::string& text);
    static std::string filePath();

    // The value of name (matched case-insensitively, as registry value names are), or empty when
    // the file has no such line or its value does not parse as a 32-bit integer.
    std::optional<std::int32_t> value(const std::string& name) const;

private:
    std::vector<std::pair<std::string, std::int32_t>> values;
};
