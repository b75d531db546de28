#include "Po2Samples.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectNormal(const Mesh& mesh, std::size_t vertex, float x, float y, float z)
{
    SCOPED_TRACE("vertex " + std::to_string(vertex));
    EXPECT_NEAR(mesh.normals.at(vertex * 3 + 0), x, 1e-6f);
    EXPECT_NEAR(mesh.normals.at(vertex * 3 + 1), y, 1e-6f);
    EXPECT_NEAR(mesh.normals.at(vertex * 3 + 2), z, 1e-6f);
}

} // namespace

TEST(Mesh, CubeCornersGetTheirDiagonals)
{
    // Unit cube, quads wound counter-clockwise seen from outside.
    Po2Description cube;
    cube.flags = MeshFlag::Polygons;
    for (int v = 0; v < 8; ++v)
        for (int axis = 0; axis < 3; ++axis)
            cube.positions.push_back(static_cast<float>((v >> axis) & 1));
    cube.polygonSizes = {4, 4, 4, 4, 4, 4};
    cube.vertexIndices = {0, 2, 3, 1, 4, 5, 7, 6, 0, 1, 5, 4, 2, 6, 7, 3, 0, 4, 6, 2, 1, 3, 7, 5};
    const Mesh mesh = parseBytes(writePo2(cube));
    const float d = 1.0f / std::sqrt(3.0f);
    for (std::size_t v = 0; v < 8; ++v)
        expectNormal(mesh, v, (v & 1) ? d : -d, (v & 2) ? d : -d, (v & 4) ? d : -d);
}

TEST(Mesh, SharedVertexWeighsFacesByArea)
{
    // Triangle A lies in z = 0 with area 2 (face vector (0, 0, 4)); triangle B lies in x = 0
    // with area 1 (face vector (2, 0, 0)). Vertices 0 and 2 belong to both.
    Po2Description fan;
    fan.flags = MeshFlag::Polygons | MeshFlag::TrianglesOnly;
    fan.positions = {0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 5, 5, 5};
    fan.vertexIndices = {0, 1, 2, 0, 2, 3};
    const Mesh mesh = parseBytes(writePo2(fan));
    const float s = 1.0f / std::sqrt(5.0f);
    expectNormal(mesh, 0, s, 0, 2 * s);
    expectNormal(mesh, 1, 0, 0, 1);
    expectNormal(mesh, 2, s, 0, 2 * s);
    expectNormal(mesh, 3, 1, 0, 0);
    // No polygon names vertex 4: it still gets a unit normal, not NaN.
    expectNormal(mesh, 4, 0, 0, 1);
}

TEST(Mesh, ShortAndDegeneratePolygonsAddNothing)
{
    Po2Description in;
    in.flags = MeshFlag::Polygons;
    in.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 3, 3, 3, 4, 4, 4};
    // A point, a line, an empty polygon, a triangle, and a triangle of three equal corners.
    in.polygonSizes = {1, 2, 0, 3, 3};
    in.vertexIndices = {3, 3, 4, 0, 1, 2, 4, 4, 4};
    const Mesh mesh = parseBytes(writePo2(in));
    ASSERT_EQ(mesh.cornerCount, 9u);
    for (std::size_t v = 0; v < 3; ++v)
        expectNormal(mesh, v, 0, 0, 1);
    expectNormal(mesh, 3, 0, 0, 1);
    expectNormal(mesh, 4, 0, 0, 1);
    for (float n : mesh.normals)
        EXPECT_FALSE(std::isnan(n));
}

TEST(Mesh, NormalsFollowMovedPositions)
{
    Mesh mesh =
        parseBytes(writePo2(sampleDescription(MeshFlag::Polygons | MeshFlag::TrianglesOnly)));
    expectNormal(mesh, 1, 0, 0, 1);
    // Swap y and z (a mirror through the plane y = z): the +z normals turn into -y.
    for (std::size_t i = 0; i < mesh.positions.size(); i += 3)
        std::swap(mesh.positions[i + 1], mesh.positions[i + 2]);
    computeNormals(mesh);
    expectNormal(mesh, 1, 0, -1, 0);
}

TEST(Mesh, WorkingCopySharesAllButPositionsAndNormals)
{
    Mesh source = parseBytes(writePo2(sampleDescription(0xFF)));
    source.name = "Objects/Thing.lwo";
    const Mesh copy = source.makeWorkingCopy();
    EXPECT_TRUE(copy.vertexIndices.sharesWith(source.vertexIndices));
    EXPECT_TRUE(copy.morphDeltas.sharesWith(source.morphDeltas));
    EXPECT_TRUE(copy.vertexWeights.sharesWith(source.vertexWeights));
    EXPECT_NE(copy.positions.data(), source.positions.data());
    EXPECT_EQ(copy.positions.size(), source.positions.size());
    EXPECT_NE(copy.normals.data(), source.normals.data());
    EXPECT_EQ(copy.normals.size(), source.normals.size());
    EXPECT_EQ(copy.cornerCount, source.cornerCount);
    EXPECT_EQ(copy.boneCount, source.boneCount);
    EXPECT_TRUE(copy.name.empty());
    EXPECT_EQ(copy.displayList.get(), 0u);

    const Mesh points = parseBytes(writePo2(sampleDescription(MeshFlag::Morphs))).makeWorkingCopy();
    EXPECT_TRUE(points.normals.empty());
    EXPECT_EQ(points.positions.size(), 15u);
}
