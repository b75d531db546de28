#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// How the entropy-coded data is laid out. ManyScans is progressive with every coefficient of
// every component in a scan of its own, refined one bit at a time: a valid file of several
// hundred scans.
enum class JpegCoding { Baseline, Progressive, Arithmetic, ManyScans };

// JPEG files for tests, written with libjpeg: `pixels` are RGB (3 components), grey (1) or CMYK
// (4), top row first. Quality 100 with no chroma subsampling keeps flat colours within a step or
// two.
std::string encodeJpeg(int width, int height, int components,
                       const std::vector<std::uint8_t>& pixels, int quality = 100,
                       JpegCoding coding = JpegCoding::Baseline);

// The same file with the size in its frame header changed: what a damaged or hostile header
// declares, with the compressed data of the real (small) picture behind it.
std::string withDeclaredSize(std::string jpeg, int width, int height);

// The number of scans (start-of-scan markers) in a file.
int scanCount(const std::string& jpeg);

// width x height pixels of one colour (RGB), or one grey level when components is 1.
std::vector<std::uint8_t> flatPixels(int width, int height, int components,
                                     std::initializer_list<std::uint8_t> value);
