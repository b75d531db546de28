#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// JPEG files for tests, written with libjpeg: `pixels` are RGB (3 components), grey (1) or CMYK
// (4), top row first. Quality 100 with no chroma subsampling keeps flat colours within a step or
// two.
std::string encodeJpeg(int width, int height, int components,
                       const std::vector<std::uint8_t>& pixels, int quality = 100);

// width x height pixels of one colour (RGB), or one grey level when components is 1.
std::vector<std::uint8_t> flatPixels(int width, int height, int components,
                                     std::initializer_list<std::uint8_t> value);
