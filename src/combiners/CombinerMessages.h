#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The compiler's error list: messages in the order they arose, the first 32 kept.
class CombinerMessages {
public:
    static constexpr std::size_t capacity = 32;

    void add(std::string message);
    // "error on line N: WHAT", the form of the scanner's messages.
    void addAtLine(int line, const char* what);
    void clear();
    const std::vector<std::string>& all() const;

private:
    std::vector<std::string> messages;
};
