#include "SceneFixture.h"
#include "SceneText.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

using namespace scenetext;

TEST(LightItem, EightLitLightsAndANinth)
{
    SceneFiles files;
    std::string lights;
    for (int i = 0; i < 8; ++i) {
        lights += light("Lit" + std::to_string(i), 1, 1.0f);
        // Switched-off lights in between take no GL light.
        if (i % 3 == 0)
            lights += light("Off" + std::to_string(i), 1, 0.00009f);
    }
    auto scene = files.load(header() + lights + light("Dark", 0, 0.0f));
    ASSERT_EQ(scene->lights.size(), 12u);
    EXPECT_EQ(scene->activeLightCount, 8);
    ASSERT_EQ(scene->activeLights.size(), 8u);
    for (int n = 0; n < 8; ++n) {
        const Light& lit = *scene->activeLights[static_cast<std::size_t>(n)];
        EXPECT_EQ(lit.name, "Lit" + std::to_string(n));
        EXPECT_EQ(lit.lightNumber, n);
        EXPECT_EQ(lit.glLight, static_cast<std::uint32_t>(GL_LIGHT0 + n));
        EXPECT_EQ(lit.programMatrix, 0x88C0u + static_cast<std::uint32_t>(n));
        EXPECT_EQ(lit.lightType, 1);
    }
    const Light& off = *scene->lights[1];
    EXPECT_EQ(off.name, "Off0");
    EXPECT_TRUE(off.isSwitchedOff());
    EXPECT_EQ(off.lightNumber, -1);
    EXPECT_EQ(off.lightType, 1 + LightMark::switchedOff);
    EXPECT_EQ(off.fileLightType, 1);
    EXPECT_EQ(off.colour.green, 0.5f);
    EXPECT_EQ(off.colour.alpha, 1.0f);

    EXPECT_EQ(files.loadError(header() + lights + light("Ninth", 1, 0.5f)),
              "This Matrix does not exist");
}

TEST(LightItem, GlLightAndMatrixNumbersStopAtEight)
{
    EXPECT_EQ(glLightFor(7), static_cast<std::uint32_t>(GL_LIGHT7));
    EXPECT_EQ(programMatrixFor(0), 0x88C0u);
    for (std::int32_t n : {-1, 8}) {
        EXPECT_THROW(
            try { glLightFor(n); } catch (const LoadError& error) {
                EXPECT_STREQ(error.what(), "This Light does not exist");
                throw;
            },
            LoadError);
        EXPECT_THROW(
            try { programMatrixFor(n); } catch (const LoadError& error) {
                EXPECT_STREQ(error.what(), "This Matrix does not exist");
                throw;
            },
            LoadError);
    }
}

TEST(LightItem, EnvelopedIntensityIsNeverSwitchedOff)
{
    SceneFiles files;
    auto scene = files.load(header() + "LightName Fade\nShowLight 0 5\nLightMotion\n" + motion() +
                            "LightColor 1 1 1\nLightIntensity " + envelopeChannel(0) +
                            "LightType 0\nShadowType 1\n");
    const Light& fade = *scene->lights[0];
    EXPECT_FALSE(fade.isSwitchedOff());
    EXPECT_EQ(fade.lightNumber, 0);
    EXPECT_TRUE(fade.intensity.envelope);
}

TEST(LightItem, BlockMessages)
{
    SceneFiles files;
    const std::string motionPart = "LightMotion\n" + motion();
    EXPECT_EQ(files.loadError(header() + "LightName L\nLightMotion\n"), "Not ShowLight");
    EXPECT_EQ(files.loadError(header() + "LightName L\nShowLight 0 5\nSchematicPosition 0 0\n"
                                         "ShowLight\n"),
              "Not LightMotion");
    EXPECT_EQ(files.loadError(header() + "LightName L\nShowLight 0 5\n" + motionPart +
                              "TargetItem 10000000\nLightIntensity 1\n"),
              "Lack of LightColor");
    EXPECT_EQ(files.loadError(header() + "LightName L\nShowLight 0 5\n" + motionPart +
                              "LightColor 1 1 1\nLightIntensity 1\nLightRange 1\nLightType 0\n"),
              "Lack of LightType");
    // Without an intensity there is nothing to decide the switch-off by.
    EXPECT_EQ(files.loadError(header() + "LightName L\nShowLight 0 5\n" + motionPart +
                              "LightColor 1 1 1\nAffectCaustics 1\nLightType 0\n"),
              "Lack of LightIntensity");
}

TEST(LightItem, TypesConesAndShadowsWithoutTextures)
{
    SceneFiles files;
    auto scene = files.load(
        header() +
        light("Spot", 2, 1.0f, "LightConeAngle 0.5\nLightEdgeAngle 0.1\nShadowType 1\n") +
        light("SpotLate", 2, 1.0f, "LightRange 1\nLightConeAngle 0.5\nShadowType 1\n",
              "ParentItem 20000000\nTargetItem 10000000\n") +
        light("Point", 1, 1.0f, "LightConeAngle 0.5\nShadowType 2\n") + light("Linear", 3, 1.0f) +
        light("Area", 4, 1.0f) + light("AreaOff", 4, 0.0f));
    const Light& spot = *scene->lights[0];
    ASSERT_TRUE(spot.coneAngle);
    EXPECT_EQ(spot.coneAngle->value, 0.5f);
    EXPECT_EQ(spot.lightType, 2);

    // The cone must follow the type directly; anywhere else the scan passes over it.
    const Light& late = *scene->lights[1];
    EXPECT_FALSE(late.coneAngle);
    EXPECT_EQ(late.parent, &spot);

    const Light& point = *scene->lights[2];
    EXPECT_FALSE(point.coneAngle);
    EXPECT_FALSE(point.hasShadowTexture());
    EXPECT_EQ(point.lightType, 1);

    // Later LightWave types keep their number and light as positional lights.
    const Light& linear = *scene->lights[3];
    EXPECT_EQ(linear.lightType, 3);
    EXPECT_EQ(linear.lightNumber, 3);
    const Light& area = *scene->lights[4];
    EXPECT_EQ(area.lightType, 4);
    EXPECT_FALSE(area.hasShadowTexture());
    EXPECT_FALSE(area.isSwitchedOff());
    const Light& areaOff = *scene->lights[5];
    EXPECT_EQ(areaOff.lightType, 4);
    EXPECT_TRUE(areaOff.isSwitchedOff());
    EXPECT_EQ(scene->activeLights.size(), 5u);
}

// The scene reader makes no GL object of its own: this binary has no GL context, and a scene
// whose spot lights want shadow textures reads with the lights marked and no texture made.
TEST(LightItem, ShadowTexturesAreMarkedWhileReadingAndMadeOnlyByTheUpload)
{
    SceneFiles files;
    files.writeScene("shadows", header() + light("Spot", 2, 1.0f, "ShadowType 2\n") +
                                    light("Spot2", 2, 0.5f, "LightConeAngle 0.3\nShadowType 2\n"));
    const auto scene =
        readScene("shadows", files.assets.paths, files.assets.meshes, files.assets.textures);
    ASSERT_EQ(scene->shadowLights.size(), 2u);
    for (const Light* light : scene->shadowLights) {
        EXPECT_TRUE(light->hasShadowTexture());
        EXPECT_EQ(light->lightType, 6);
        EXPECT_EQ(light->shadowTexture.name(), 0u);
    }
}
