#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Which frames of the capture's grid (the frames --from, --to and --fps define, numbered from 0)
// a run renders: part I of N equal parts, or an explicit range.
struct FrameSelection {
    int part = 0; // 1-based; 0 for an explicit range
    int parts = 0;
    std::int64_t first = 0; // explicit range, inclusive
    std::int64_t last = 0;
};

// "3/8": part 3 of 8; empty for anything else (I from 1 to N, N at least 1).
std::optional<FrameSelection> parseSegment(const std::string& text);
// "120-239": frames 120 to 239; empty for anything else (A not after B).
std::optional<FrameSelection> parseFrameRange(const std::string& text);

// Frames [begin, end) of the grid.
struct FrameRange {
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

// The frames of the selection in a grid of `total` frames: part I of N begins at
// floor(total (I - 1) / N), so the parts tile the grid and differ by at most one frame. Empty
// for a range that does not lie within the grid.
std::optional<FrameRange> selectFrames(const FrameSelection& selection, std::int64_t total);
