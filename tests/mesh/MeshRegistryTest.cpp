#include "Po2Samples.h"

#include "image/TextureCache.h"
#include "mesh/MeshRegistry.h"
#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// A 2 x 2 uncompressed 24-bit TGA.
std::string tinyTga()
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = 2;
    bytes[14] = 2;
    bytes[16] = 24;
    bytes += std::string(12, '\x40');
    return bytes;
}

struct MeshRegistryTest : ::testing::Test {
    void SetUp() override
    {
        ensureOffscreenGl();
        resetGlState();
        paths.rootDir = dir.path().string();
        paths.texturesDir = "tex";
        dir.write("tex/wood.tga", tinyTga());
        dir.write("tex/dirt.tga", tinyTga());
    }

    void writeMesh(const std::string& relative, const Po2Description& mesh)
    {
        dir.write(relative, writePo2(mesh));
    }

    TempDir dir;
    DemoPaths paths;
    TextureCache textures{paths};
    MeshRegistry meshes{textures, paths};
};

} // namespace

TEST_F(MeshRegistryTest, LoadsEachExactNameOnce)
{
    writeMesh("Objects/Ship.po2", sampleDescription(MeshFlag::Polygons | MeshFlag::TexCoords0));
    writeMesh("Objects/ship.po2", sampleDescription(0));
    Mesh& first = meshes.get("Objects/Ship.lwo");
    EXPECT_EQ(first.name, "Objects/Ship.lwo");
    EXPECT_EQ(&meshes.get("Objects/Ship.lwo"), &first);
    EXPECT_EQ(meshes.count(), 1u);
    // Letter case matters, and so does the whole name: each of these is a new mesh.
    Mesh& lower = meshes.get("Objects/ship.lwo");
    EXPECT_NE(&lower, &first);
    EXPECT_EQ(&meshes.get("Objects/Ship.LWO"), &meshes.get("Objects/Ship.LWO"));
    EXPECT_EQ(meshes.count(), 3u);
    EXPECT_EQ(&meshes.get("Objects/Ship.lwo"), &first);

    ASSERT_NE(first.texture0, nullptr);
    EXPECT_EQ(first.texture0->name, paths.rootDir + "/tex/wood.tga");
    EXPECT_EQ(textures.count(), 1u);
}

TEST_F(MeshRegistryTest, DisplayListOnlyWithPolygonsAndDeletedWithTheMesh)
{
    writeMesh("points.po2", sampleDescription(MeshFlag::Morphs));
    writeMesh("solid.po2", sampleDescription(MeshFlag::Polygons | MeshFlag::Colours));
    EXPECT_EQ(meshes.get("points.lwo").displayList, 0u);
    GLuint list = 0;
    {
        Mesh solid = loadMesh("solid.lwo", textures, paths);
        list = solid.displayList;
        ASSERT_NE(list, 0u);
        EXPECT_EQ(glIsList(list), GL_TRUE);
        Mesh moved = std::move(solid);
        EXPECT_EQ(solid.displayList, 0u);
        EXPECT_EQ(glIsList(list), GL_TRUE);
    }
    EXPECT_EQ(glIsList(list), GL_FALSE);
    EXPECT_NE(meshes.get("solid.lwo").displayList, 0u);
}

TEST_F(MeshRegistryTest, FailedLoadsAppendNothing)
{
    Po2Description broken = sampleDescription(MeshFlag::Polygons | MeshFlag::TexCoords1);
    std::string bytes = writePo2(broken);
    bytes.resize(bytes.size() - 1);
    dir.write("cut.po2", bytes);
    Po2Description missingTexture = sampleDescription(MeshFlag::TexCoords0);
    missingTexture.texture0Name = "nowhere";
    writeMesh("bare.po2", missingTexture);

    EXPECT_THROW(meshes.get("cut.lwo"), LoadError);
    EXPECT_THROW(meshes.get("absent.lwo"), LoadError);
    EXPECT_THROW(meshes.get("bare.lwo"), LoadError);
    EXPECT_EQ(meshes.count(), 0u);
    // The cut file still fails the second time: nothing half-made was kept.
    EXPECT_THROW(meshes.get("cut.lwo"), LoadError);
    EXPECT_EQ(meshes.count(), 0u);
}
