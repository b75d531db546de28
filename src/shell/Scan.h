#pragma once

#include <cstdint>
#include <string_view>

// Conversions with the formatted scan's own rules ("%d", "%u", "%f", "%x"): leading blanks are
// skipped, conversion stops at the first character that does not fit, and a word that does not
// convert at all leaves the target unchanged. Each returns whether the target was written.
bool scanInt(std::string_view word, std::int32_t& out);
bool scanUnsigned(std::string_view word, std::uint32_t& out);
bool scanFloat(std::string_view word, float& out);
bool scanHex(std::string_view word, std::uint32_t& out);
