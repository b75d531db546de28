#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One line of a scene file: its 1-based number, its first word and the text after that word,
// both without surrounding blanks (a carriage return counts as a blank).
struct LwsLine {
    std::size_t number = 0;
    std::string_view keyword;
    std::string_view rest;

    // The words of rest, split at blanks.
    std::vector<std::string_view> words() const;
};

// The lines of a scene file's text, blank lines left out, read front to back. Errors name the
// file and the line: "Cannot convert scene PATH: line N: WHY".
class LineCursor {
public:
    // text must outlive the cursor.
    LineCursor(std::string_view text, std::string path);

    bool atEnd() const { return next == lines.size(); }
    const LwsLine& peek() const;
    const LwsLine& take();
    // The line last taken, for errors about a value already read.
    const LwsLine& last() const { return lines[next - 1]; }
    const std::string& path() const { return filePath; }

    [[noreturn]] void fail(const std::string& why) const;
    [[noreturn]] void failAt(const LwsLine& line, const std::string& why) const;
    [[noreturn]] void failAt(std::size_t lineNumber, const std::string& why) const;

private:
    std::vector<LwsLine> lines;
    std::size_t next = 0;
    std::string filePath;
};

// The one form of a conversion error: "Cannot convert scene PATH: line N: WHY".
[[noreturn]] void failConversion(const std::string& path, std::size_t lineNumber,
                                 const std::string& why);

std::vector<std::string_view> splitWords(std::string_view text);

// True when text is a whole decimal number as scene files write them ("-1.5", "2e-05").
bool isNumber(std::string_view text);
