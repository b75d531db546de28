#include "timeline/FrameRate.h"

#include <cmath>
#include <numeric>

namespace {

// Nine digits keep every product below 2^63 while parsing.
constexpr std::size_t maxDigits = 9;

std::optional<std::int64_t> parseDigits(const std::string& text)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::optional<FrameRate> parseFrameRate(const std::string& text)
{
    FrameRate rate;
    if (const std::size_t slash = text.find('/'); slash != std::string::npos) {
        const auto numerator = parseDigits(text.substr(0, slash));
        const auto denominator = parseDigits(text.substr(slash + 1));
        if (!numerator || !denominator)
            return std::nullopt;
        rate = {*numerator, *denominator};
    } else if (const std::size_t dot = text.find('.'); dot != std::string::npos) {
        const std::string fraction = text.substr(dot + 1);
        const auto whole = parseDigits(dot == 0 ? "0" : text.substr(0, dot));
        const auto part = parseDigits(fraction);
        if (!whole || !part)
            return std::nullopt;
        std::int64_t scale = 1;
        for (std::size_t i = 0; i < fraction.size(); ++i)
            scale *= 10;
        rate = {*whole * scale + *part, scale};
    } else {
        const auto whole = parseDigits(text);
        if (!whole)
            return std::nullopt;
        rate = {*whole, 1};
    }
    if (rate.numerator <= 0 || rate.denominator <= 0 ||
        rate.numerator > maxFramesPerSecond * rate.denominator)
        return std::nullopt;
    const std::int64_t common = std::gcd(rate.numerator, rate.denominator);
    return FrameRate{rate.numerator / common, rate.denominator / common};
}

float frameTime(float from, FrameRate rate, std::int64_t frame)
{
    const double offset = static_cast<double>(frame) * static_cast<double>(rate.denominator) /
                          static_cast<double>(rate.numerator);
    return static_cast<float>(static_cast<double>(from) + offset);
}

std::int64_t frameCount(float from, float to, FrameRate rate)
{
    if (!(from <= to))
        return 0;
    // The estimate is within a frame of the answer; float rounding settles the boundary.
    auto count = static_cast<std::int64_t>(
        std::floor((static_cast<double>(to) - static_cast<double>(from)) * rate.perSecond()));
    while (count > 0 && frameTime(from, rate, count) > to)
        --count;
    while (frameTime(from, rate, count + 1) <= to)
        ++count;
    return count + 1;
}

std::int64_t frameTicks(FrameRate rate, std::int64_t frame, std::int64_t ticksPerSecond)
{
    // 64 bits of mantissa hold the product exactly for any capture of less than ten years.
    const long double ticks =
        static_cast<long double>(frame) * static_cast<long double>(rate.denominator) *
        static_cast<long double>(ticksPerSecond) / static_cast<long double>(rate.numerator);
    return std::llround(ticks);
}
