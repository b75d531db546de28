#include "shell/PictureSize.h"

#include <charconv>

namespace {

// Digits only, up to the end of the text; from_chars reports a value out of range instead of
// wrapping it.
std::optional<int> parseSide(std::string_view text, int maxSide)
{
    int side = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, side);
    if (error != std::errc() || stop != end || side <= 0 || side > maxSide)
        return std::nullopt;
    return side;
}

} // namespace

std::optional<PictureSize> parsePictureSize(std::string_view text, int maxSide)
{
    const std::size_t cross = text.find_first_of("xX");
    if (cross == std::string_view::npos)
        return std::nullopt;
    const std::optional<int> width = parseSide(text.substr(0, cross), maxSide);
    const std::optional<int> height = parseSide(text.substr(cross + 1), maxSide);
    if (!width || !height)
        return std::nullopt;
    return PictureSize{*width, *height};
}
