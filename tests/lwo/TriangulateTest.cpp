#include "lwo/Triangulate.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Outline {
    const char* name;
    std::vector<float> xy; // in the plane; placed in 3D by the test
    double area;
    bool convex;
};

// Twice the signed area of triangle abc in the (u, v) plane.
double cross(const float* a, const float* b, const float* c, int u, int v)
{
    auto at = [](const float* p, int axis) { return static_cast<double>(p[axis]); };
    return (at(b, u) - at(a, u)) * (at(c, v) - at(a, v)) -
           (at(b, v) - at(a, v)) * (at(c, u) - at(a, u));
}

} // namespace

TEST(Triangulate, CutsEveryOutlineIntoTrianglesOfItsAreaAndWinding)
{
    const Outline outlines[] = {
        {"square", {0, 0, 2, 0, 2, 2, 0, 2}, 4.0, true},
        {"hexagon", {2, 0, 4, 1, 4, 3, 2, 4, 0, 3, 0, 1}, 12.0, true},
        {"L", {0, 0, 2, 0, 2, 1, 1, 1, 1, 3, 0, 3}, 4.0, false},
        {"arrow", {0, 0, 2, 1, 4, 0, 2, 4}, 6.0, false},
        {"comb",
         {0, 0, 5, 0, 5, 3, 4, 3, 4, 1, 3, 1, 3, 3, 2, 3, 2, 1, 1, 1, 1, 3, 0, 3},
         11.0,
         false},
    };
    // The same outline in each of the three axis planes, in both windings.
    for (const Outline& outline : outlines)
        for (int plane = 0; plane < 3; ++plane)
            for (bool reversed : {false, true}) {
                SCOPED_TRACE(std::string(outline.name) + " plane " + std::to_string(plane) +
                             (reversed ? " reversed" : ""));
                const int u = plane == 0 ? 1 : 0;
                const int v = plane == 2 ? 1 : 2;
                const auto count = static_cast<std::uint32_t>(outline.xy.size() / 2);
                std::vector<float> positions(3u * count, 7.0f);
                std::vector<std::uint32_t> corners(count);
                for (std::uint32_t i = 0; i < count; ++i) {
                    positions[3u * i + static_cast<unsigned>(u)] = outline.xy[2u * i];
                    positions[3u * i + static_cast<unsigned>(v)] = outline.xy[2u * i + 1];
                    corners[i] = reversed ? count - 1 - i : i;
                }
                std::vector<std::array<std::uint32_t, 3>> triangles;
                triangulate(positions, corners.data(), count, triangles);
                ASSERT_EQ(triangles.size(), count - 2);
                const double sign = reversed ? -1.0 : 1.0;
                double area = 0.0;
                for (const auto& t : triangles) {
                    const float* a = &positions[3u * corners[t[0]]];
                    const float* b = &positions[3u * corners[t[1]]];
                    const float* c = &positions[3u * corners[t[2]]];
                    const double twice = sign * cross(a, b, c, u, v);
                    EXPECT_GT(twice, 0.0) << "a triangle turns against the outline";
                    area += twice / 2.0;
                }
                // Triangles of the right winding that sum to the area cannot overlap or leave
                // the outline.
                EXPECT_NEAR(area, outline.area, 1e-9);
                if (!outline.convex)
                    continue;
                for (std::size_t i = 0; i < triangles.size(); ++i)
                    EXPECT_EQ(triangles[i], (std::array<std::uint32_t, 3>{0, std::uint32_t(i + 1),
                                                                          std::uint32_t(i + 2)}));
            }
}

TEST(Triangulate, DegenerateOutlinesStillGiveTheirFan)
{
    const std::vector<float> positions = {0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0};
    const std::uint32_t corners[] = {0, 1, 2, 3};
    std::vector<std::array<std::uint32_t, 3>> triangles;
    triangulate(positions, corners, 2, triangles);
    EXPECT_TRUE(triangles.empty());
    triangulate(positions, corners, 4, triangles);
    EXPECT_EQ(triangles.size(), 2u);
}
