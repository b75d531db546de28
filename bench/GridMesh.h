#pragma once

#include "mesh/Po2Writer.h"

// A gently waved square of columns x rows quads, each split into two triangles, spanning
// -0.9 to 0.9 in x and y: positions and corners only, with texture coordinates (0 to 1 across
// the square, shared indices) when asked. Each benchmark adds its own colours. Indices are
// 16-bit, so (columns + 1) * (rows + 1) must stay within 65,536.
Po2Description gridMesh(int columns, int rows, bool texCoords);
