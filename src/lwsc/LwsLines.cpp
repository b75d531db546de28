#include "lwsc/LwsLines.h"

#include "shell/LoadError.h"

#include <charconv>
#include <utility>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::vector<std::string_view> splitWords(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isBlank(text[at]))
            ++at;
        const std::size_t start = at;
        while (at < text.size() && !isBlank(text[at]))
            ++at;
        if (at > start)
            words.push_back(text.substr(start, at - start));
    }
    return words;
}

std::vector<std::string_view> LwsLine::words() const
{
    return splitWords(rest);
}

bool isNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

LineCursor::LineCursor(std::string_view text, std::string path) : filePath(std::move(path))
{
    std::size_t number = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        ++number;
        const std::string_view line = trim(text.substr(at, end - at));
        if (!line.empty()) {
            std::size_t split = 0;
            while (split < line.size() && !isBlank(line[split]))
                ++split;
            lines.push_back({number, line.substr(0, split), trim(line.substr(split))});
        }
        at = end + 1;
    }
}

const LwsLine& LineCursor::peek() const
{
    if (atEnd())
        fail("the file ends here");
    return lines[next];
}

const LwsLine& LineCursor::take()
{
    const LwsLine& line = peek();
    ++next;
    return line;
}

void failConversion(const std::string& path, std::size_t lineNumber, const std::string& why)
{
    throw LoadError("Cannot convert scene " + path + ": line " + std::to_string(lineNumber) + ": " +
                    why);
}

void LineCursor::fail(const std::string& why) const
{
    failAt(atEnd() ? (lines.empty() ? 1 : lines.back().number + 1) : lines[next].number, why);
}

void LineCursor::failAt(const LwsLine& line, const std::string& why) const
{
    failAt(line.number, why);
}

void LineCursor::failAt(std::size_t lineNumber, const std::string& why) const
{
    failConversion(filePath, lineNumber, why);
}
