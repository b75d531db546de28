#pragma once

#include <cstdint>
#include <string_view>

// The player's own font: printable ASCII in 5 x 7 cells, drawn in a 6 x 9 grid (a column and
// two rows of spacing). Characters outside 32..126 show as '?'.
constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;
constexpr int glyphAdvance = 6;
constexpr int lineAdvance = 9;

// Whether the glyph's pixel in column x (0 left) and row y (0 top) is set.
bool glyphPixel(char c, int x, int y);

// Draws text with its first line's top-left cell corner at (x, y) in the current matrices, one
// GL_QUADS batch of scale x scale squares for the set pixels, in the current colour. Issues no
// state changes of its own.
void drawText(std::string_view text, float x, float y, float scale);
