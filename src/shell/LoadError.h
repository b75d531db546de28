#pragma once

#include <stdexcept>
#include <string>

// The one loading error: it carries only the message text, and main() alone catches it.
class LoadError : public std::runtime_error {
public:
    explicit LoadError(const std::string& text) : std::runtime_error(text) {}
};

// "Cannot load file <path> from directory": shown in a box here under "Loading Error", where the
// path is known, then thrown, so main() shows it a second time and writes it to standard error
// once.
[[noreturn]] void throwCannotLoad(const std::string& path);

// Words are kept in buffers of 249 characters; a longer one is refused rather than truncated.
constexpr std::size_t maxWordLength = 249;
