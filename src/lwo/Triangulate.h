#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Splits one polygon into triangles, each a triple of positions in the polygon's corner list,
// in the polygon's own winding. Convex polygons become a fan from the first corner; concave
// ones are cut ear by ear in the polygon's plane. positions holds x, y, z per point, corners the
// polygon's point indices. Polygons of fewer than 3 corners give nothing.
void triangulate(const std::vector<float>& positions, const std::uint32_t* corners,
                 std::uint32_t cornerCount, std::vector<std::array<std::uint32_t, 3>>& out);
