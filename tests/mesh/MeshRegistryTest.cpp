#include "Po2Samples.h"

#include "shell/LoadError.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"
#include "timeline/DemoAssets.h"

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
        dir.write("tex/wood.tga", tinyTga());
        dir.write("tex/dirt.tga", tinyTga());
    }

    void writeMesh(const std::string& relative, const Po2Description& mesh)
    {
        dir.write(relative, writePo2(mesh));
    }

    TempDir dir;
    DemoAssets assets{DemoPaths{dir.path().string(), "tex", "", 1.0f}};
};

} // namespace

TEST_F(MeshRegistryTest, LoadsEachExactNameOnce)
{
    writeMesh("Objects/Ship.po2", sampleDescription(MeshFlag::Polygons | MeshFlag::TexCoords0));
    writeMesh("Objects/ship.po2", sampleDescription(0));
    Mesh& first = assets.meshes.get("Objects/Ship.lwo");
    EXPECT_EQ(first.name, "Objects/Ship.lwo");
    EXPECT_EQ(&assets.meshes.get("Objects/Ship.lwo"), &first);
    EXPECT_EQ(assets.meshes.count(), 1u);
    // Letter case matters, and so does the whole name: each of these is a new mesh.
    Mesh& lower = assets.meshes.get("Objects/ship.lwo");
    EXPECT_NE(&lower, &first);
    EXPECT_EQ(&assets.meshes.get("Objects/Ship.LWO"), &assets.meshes.get("Objects/Ship.LWO"));
    EXPECT_EQ(assets.meshes.count(), 3u);
    EXPECT_EQ(&assets.meshes.get("Objects/Ship.lwo"), &first);

    ASSERT_NE(first.texture0, nullptr);
    EXPECT_EQ(first.texture0->name, assets.paths.rootDir + "/tex/wood.tga");
    EXPECT_EQ(assets.textures.count(), 1u);
}

TEST_F(MeshRegistryTest, DisplayListOnlyWithPolygonsAndDeletedWithTheMesh)
{
    writeMesh("points.po2", sampleDescription(MeshFlag::Morphs));
    writeMesh("solid.po2", sampleDescription(MeshFlag::Polygons | MeshFlag::Colours));
    EXPECT_EQ(assets.meshes.get("points.lwo").displayList.get(), 0u);
    GLuint list = 0;
    {
        Mesh solid = loadMesh("solid.lwo", assets.textures, assets.paths);
        list = solid.displayList.get();
        ASSERT_NE(list, 0u);
        EXPECT_EQ(glIsList(list), GL_TRUE);
        Mesh moved = std::move(solid);
        EXPECT_EQ(solid.displayList.get(), 0u);
        EXPECT_EQ(glIsList(list), GL_TRUE);
    }
    EXPECT_EQ(glIsList(list), GL_FALSE);
    EXPECT_NE(assets.meshes.get("solid.lwo").displayList.get(), 0u);
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

    EXPECT_THROW(assets.meshes.get("cut.lwo"), LoadError);
    EXPECT_THROW(assets.meshes.get("absent.lwo"), LoadError);
    EXPECT_THROW(assets.meshes.get("bare.lwo"), LoadError);
    EXPECT_EQ(assets.meshes.count(), 0u);
    // The cut file still fails the second time: nothing half-made was kept.
    EXPECT_THROW(assets.meshes.get("cut.lwo"), LoadError);
    EXPECT_EQ(assets.meshes.count(), 0u);
}
