#include "FrameSelection.h"

#include <charconv>

namespace {

// A whole decimal number and nothing else.
template <typename Number> std::optional<Number> wholeNumber(std::string_view text)
{
    Number value{};
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<FrameSelection> parseSegment(const std::string& text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const std::string_view whole(text);
    const auto part = wholeNumber<int>(whole.substr(0, slash));
    const auto parts = wholeNumber<int>(whole.substr(slash + 1));
    if (!part || !parts || *parts < 1 || *part < 1 || *part > *parts)
        return std::nullopt;
    FrameSelection selection;
    selection.part = *part;
    selection.parts = *parts;
    return selection;
}

std::optional<FrameSelection> parseFrameRange(const std::string& text)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    const std::string_view whole(text);
    const auto first = wholeNumber<std::int64_t>(whole.substr(0, dash));
    const auto last = wholeNumber<std::int64_t>(whole.substr(dash + 1));
    if (!first || !last || *first < 0 || *first > *last)
        return std::nullopt;
    FrameSelection selection;
    selection.first = *first;
    selection.last = *last;
    return selection;
}

std::optional<FrameRange> selectFrames(const FrameSelection& selection, std::int64_t total)
{
    if (selection.parts > 0) {
        const auto boundary = [&](std::int64_t part) { return total * part / selection.parts; };
        return FrameRange{boundary(selection.part - 1), boundary(selection.part)};
    }
    if (selection.last >= total)
        return std::nullopt;
    return FrameRange{selection.first, selection.last + 1};
}
