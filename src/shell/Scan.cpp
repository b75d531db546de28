#include "shell/Scan.h"

#include <cstdio>
#include <string>

// The word is copied first: glibc's sscanf measures its whole input, which is quadratic when
// callers scan straight out of a long mapped file.
template <typename T> static bool scanWith(std::string_view word, const char* format, T& out)
{
    const std::string copy(word);
    T value{};
    if (std::sscanf(copy.c_str(), format, &value) != 1)
        return false;
    out = value;
    return true;
}

bool scanInt(std::string_view word, std::int32_t& out)
{
    int value = 0;
    if (!scanWith(word, "%d", value))
        return false;
    out = value;
    return true;
}

bool scanUnsigned(std::string_view word, std::uint32_t& out)
{
    unsigned value = 0;
    if (!scanWith(word, "%u", value))
        return false;
    out = value;
    return true;
}

bool scanFloat(std::string_view word, float& out)
{
    return scanWith(word, "%f", out);
}

bool scanHex(std::string_view word, std::uint32_t& out)
{
    unsigned value = 0;
    if (!scanWith(word, "%x", value))
        return false;
    out = value;
    return true;
}
