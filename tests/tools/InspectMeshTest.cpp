#include "demo-inspect/Sha256.h"
#include "mesh/Po2Writer.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Runs demo-inspect mesh on an object under dir, its textures in dir/tex.
CommandRun inspect(const TempDir& dir, const std::string& objectName)
{
    return runCommand(dir, std::string(DEMO_INSPECT) + " mesh " + dir.path().string() + " tex " +
                               objectName);
}

std::string tinyTga()
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = 1;
    bytes[14] = 1;
    bytes[16] = 24;
    return bytes + std::string(3, '\x7F');
}

} // namespace

TEST(InspectMesh, PrintsTheLoadedFieldsAsJson)
{
    TempDir dir;
    dir.write("tex/wood.tga", tinyTga());
    dir.write("tex/dirt.tga", tinyTga());
    Po2Description cube;
    cube.flags = MeshFlag::Polygons | MeshFlag::TexCoords0 | MeshFlag::EnvironmentTexture |
                 MeshFlag::TexCoords1 | MeshFlag::Morphs;
    cube.texture0Name = "wood";
    cube.texture1Name = "dirt";
    for (int v = 0; v < 8; ++v)
        for (int axis = 0; axis < 3; ++axis)
            cube.positions.push_back(static_cast<float>((v >> axis) & 1));
    cube.polygonSizes = {4, 4, 4, 4, 4, 4};
    cube.vertexIndices = {0, 2, 3, 1, 4, 5, 7, 6, 0, 1, 5, 4, 2, 6, 7, 3, 0, 4, 6, 2, 1, 3, 7, 5};
    cube.texCoords0 = {0, 0, 1, 1};
    cube.texCoord0Indices.assign(24, 1);
    cube.texCoords1 = {0, 0, 1, 0, 1, 1};
    cube.texCoord1Indices.assign(24, 2);
    cube.morphSizes = {1, 2};
    cube.morphDeltas = {{0, 1, 0, 7}, {1, 0, 0, 0}, {0, 0, 1, 3}};
    dir.write("Objects/Cube.po2", writePo2(cube));

    // Every corner of a unit cube has the normal of its diagonal.
    const float d = 1.0f / std::sqrt(3.0f);
    Sha256 normals;
    for (int v = 0; v < 8; ++v)
        for (int axis = 0; axis < 3; ++axis) {
            const float value = ((v >> axis) & 1) ? d : -d;
            normals.update(&value, sizeof value); // the test host is little-endian
        }
    const std::string root = dir.path().string();
    const CommandRun run = inspect(dir, "Objects/Cube.lwo");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"flags\": 55, \"vertexCount\": 8, \"polygonCount\": 6, "
                       "\"cornerCount\": 24, \"texCoord0Count\": 2, \"texCoord1Count\": 3, "
                       "\"colourCount\": 0, \"morphCount\": 2, \"morphDeltaCount\": 3, "
                       "\"boneCount\": 0, \"texture0\": \"" +
                           root + "/tex/wood.tga\", \"texture1\": \"" + root +
                           "/tex/dirt.tga\", \"normalsSha256\": \"" + normals.hexDigest() +
                           "\"}\n");

    Po2Description points;
    points.flags = MeshFlag::TrianglesOnly | MeshFlag::VertexWeights;
    points.positions = {1, 2, 3};
    points.vertexWeights = {0.5f};
    dir.write("Points.po2", writePo2(points));
    const CommandRun bare = inspect(dir, "Points.xyz");
    EXPECT_EQ(bare.status, 0) << bare.err;
    EXPECT_EQ(bare.out, "{\"flags\": 192, \"vertexCount\": 1, \"polygonCount\": 0, "
                        "\"cornerCount\": 0, \"texCoord0Count\": 0, \"texCoord1Count\": 0, "
                        "\"colourCount\": 0, \"morphCount\": 0, \"morphDeltaCount\": 0, "
                        "\"boneCount\": 1, \"texture0\": null, \"texture1\": null, "
                        "\"normalsSha256\": null}\n");
}

TEST(InspectMesh, LoadingErrorsGoToStandardErrorWithStatusOne)
{
    TempDir dir;
    Po2Description mesh;
    mesh.positions = {1, 2, 3, 4, 5, 6};
    std::string bytes = writePo2(mesh);
    bytes.resize(bytes.size() - 2);
    dir.write("Cut.po2", bytes);
    const CommandRun cut = inspect(dir, "Cut.lwo");
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.out, "");
    EXPECT_EQ(cut.err, "PO2 file " + dir.file("Cut.po2") + " ends before its positions\n");

    const CommandRun missing = inspect(dir, "Gone.lwo");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("Cannot load file " + dir.file("Gone.po2") + " from directory\n"),
              std::string::npos);
}
