#include "SceneAssets.h"
#include "SceneFixture.h"
#include "SceneText.h"

#include "mesh/Mesh.h"
#include "support/OffscreenGl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

using namespace scenetext;
using namespace sceneassets;

namespace {

std::string bone(const std::string& parentId, float heading = 0.0f, float restY = 0.5f)
{
    return "AddBone\nBoneName Bone\nShowBone 1 -1\nBoneActive 1\nBoneRestPosition 0 " +
           number(restY) + " 0\nBoneRestDirection " + number(heading) +
           " 0 0\nBoneRestLength 0.5\nScaleBoneStrength 1\nBoneStrength 1\nBoneMinRange 0\n"
           "BoneMaxRange 1\nBoneType 0\nBoneMotion\n" +
           motion() + "ParentItem " + parentId + "\n";
}

std::string mixer(int channelCount, int envelopes, bool enabled)
{
    std::string text = "Plugin DisplacementHandler 1 LW_MorphMixer\n" +
                       std::to_string(channelCount) + " 1\nGroup All " + std::to_string(envelopes) +
                       " 0 0\n";
    for (int i = 0; i < envelopes; ++i)
        text += "Morph M" + std::to_string(i) + " 0 0\n" +
                envelope(0.25f * static_cast<float>(i + 1)) + "End\n";
    text += "EndPlugin\n";
    if (enabled)
        text += "PluginEnabled 1\n";
    return text;
}

std::string flareLight(const std::string& name, float intensity, const std::string& flare)
{
    return light(name, 1, intensity, "LensFlare 1\nFlareIntensity " + flare);
}

class SceneGl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureOffscreenGl();
        resetGlState();
    }

    SceneFiles files;
};

} // namespace

TEST_F(SceneGl, ObjectLayersShareTheirMesh)
{
    writeMesh(files.dir, "Objects/Box.lwo", triangle());
    auto scene = files.load(header() + objectLayer("Objects/Box.lwo", "ShadowOptions 7") +
                            objectLayer("Objects/Box.lwo", "ShadowOptions 7", 2.0f));
    ASSERT_EQ(scene->objects.size(), 2u);
    ASSERT_NE(scene->objects[0]->mesh, nullptr);
    EXPECT_EQ(scene->objects[0]->mesh, scene->objects[1]->mesh);
    EXPECT_EQ(scene->objects[0]->mesh->name, "Objects/Box.lwo");
    EXPECT_NE(scene->objects[0]->mesh->displayList.get(), 0u);
    EXPECT_EQ(files.assets.meshes.count(), 1u);
    EXPECT_EQ(evaluateMotionChannel(scene->objects[1]->motion, MotionChannel::X, 0.0f), 2.0f);

    EXPECT_EQ(files.loadError(header() + objectLayer("Objects/Missing.lwo", "ShadowOptions 7")),
              "Cannot load file " + files.dir.path().string() +
                  "/Objects/Missing.po2 from directory");
}

TEST_F(SceneGl, BonesComeFromTheMeshCountAndLinkToTheirParents)
{
    // Bone indices 0 and 2: three bones, whatever the file holds.
    writeMesh(files.dir, "Objects/Arm.lwo", bonedMesh({0, 2}));
    const std::string bones = "BoneFalloffType 5\n" + bone("10000000", 90.0f, 1.5f) +
                              bone("40000000") + bone("40050000") + bone("40010000");
    auto scene = files.load(header() + objectLayer("Objects/Arm.lwo", bones + "ShadowOptions 2"));
    const SceneObject& arm = *scene->objects[0];
    ASSERT_EQ(arm.bones.size(), 3u);
    EXPECT_EQ(arm.bones[0]->parent, &arm);
    EXPECT_EQ(arm.bones[0]->restHeading, 90.0f);
    EXPECT_EQ(arm.bones[0]->restPitch, 0.0f);
    EXPECT_EQ(arm.bones[0]->restPosition[1], 1.5f);
    EXPECT_EQ(arm.bones[1]->parent, arm.bones[0].get());
    // A bone index past the object's bones links nothing.
    EXPECT_EQ(arm.bones[2]->parent, nullptr);
    // The fourth block is passed over by the scan up to "ShadowOptions".
    EXPECT_EQ(arm.flags, ObjectFlag::shadowCaster);

    // A mesh without weights has no bones: the falloff line is consumed and nothing more.
    writeMesh(files.dir, "Objects/Plain.lwo", triangle());
    auto plain = files.load(
        header() + objectLayer("Objects/Plain.lwo", "BoneFalloffType 5\nUnseenByCamera 1"));
    EXPECT_TRUE(plain->objects[0]->bones.empty());
    EXPECT_EQ(plain->objects[0]->flags, ObjectFlag::noDepthTest);
}

TEST_F(SceneGl, BoneLoopsAreCut)
{
    writeMesh(files.dir, "Objects/Arm.lwo", bonedMesh({1}));
    auto scene = files.load(
        header() + objectLayer("Objects/Arm.lwo",
                               "BoneFalloffType 5\n" + bone("40010000") + bone("40000000")));
    const SceneObject& arm = *scene->objects[0];
    EXPECT_EQ(arm.bones[0]->parent, nullptr);
    EXPECT_EQ(arm.bones[1]->parent, arm.bones[0].get());
}

TEST_F(SceneGl, BoneMessages)
{
    writeMesh(files.dir, "Objects/Arm.lwo", bonedMesh({1}));
    auto load = [&](const std::string& bones) {
        return files.loadError(header() +
                               objectLayer("Objects/Arm.lwo", "BoneFalloffType 5\n" + bones));
    };
    const std::string good = bone("10000000");
    EXPECT_EQ(load(good + "AddBon\n"), "Not AddBone");
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return good + text;
    };
    EXPECT_EQ(load(replaced("BoneRestPosition", "BoneRestPositio")), "Not BoneRestPosition");
    EXPECT_EQ(load(replaced("BoneRestDirection", "BoneRestDirectio")), "Not BoneRestPosition");
    EXPECT_EQ(load(replaced("BoneMotion", "BoneMotio")), "Not BoneMotion");
    EXPECT_EQ(load(replaced("ParentItem", "ParentIte")), "Bone without Parent");
    // Fewer blocks than bones: the reader stops at the end of the file.
    EXPECT_EQ(load(good), "Not AddBone");
}

TEST_F(SceneGl, MorphTargetsResolveByPosition)
{
    writeMesh(files.dir, "Objects/A.lwo", triangle());
    const std::string morph = "MorphAmount 0.5\nMorphTarget ";
    auto scene = files.load(
        header() + objectLayer("Objects/A.lwo", morph + "2\nMorphSurfaces 0\nShadowOptions 7") +
        objectLayer("Objects/A.lwo", "ObjectDissolve 0\nShadowOptions 7") +
        objectLayer("Objects/A.lwo", morph + "0\nMorphSurfaces 0\nShadowOptions 7") +
        objectLayer("Objects/A.lwo", morph + "9\nMorphSurfaces 0\nShadowOptions 7") +
        nullObject("Null", "ShadowOptions 7") +
        objectLayer("Objects/A.lwo", morph + "5\nMorphSurfaces 0\nShadowOptions 7"));
    const auto& objects = scene->objects;
    ASSERT_EQ(objects.size(), 6u);
    ASSERT_TRUE(objects[0]->morphAmount);
    EXPECT_EQ(objects[0]->morphAmount->value, 0.5f);
    ASSERT_NE(objects[0]->morphMesh, nullptr);
    EXPECT_EQ(objects[0]->morphMesh->vertexCount, 3);
    EXPECT_EQ(objects[0]->morphTargetNumber, 2);
    EXPECT_EQ(objects[0]->morphTarget, objects[1].get());
    EXPECT_EQ(objects[1]->morphMesh, nullptr);
    // Numbers below 1 name the first object.
    EXPECT_EQ(objects[2]->morphTarget, objects[0].get());
    // Past the list, or a null object without a mesh to blend towards: no target.
    EXPECT_EQ(objects[3]->morphTarget, nullptr);
    EXPECT_EQ(objects[5]->morphTarget, nullptr);
    EXPECT_NE(objects[5]->morphMesh, nullptr);
}

TEST_F(SceneGl, MorphTargetLoopsAreCut)
{
    writeMesh(files.dir, "Objects/A.lwo", triangle());
    auto scene = files.load(header() +
                            objectLayer("Objects/A.lwo", "MorphAmount 0.5\nMorphTarget 2\n"
                                                         "MorphSurfaces 0\nShadowOptions 7") +
                            objectLayer("Objects/A.lwo", "MorphAmount 0.5\nMorphTarget 1\n"
                                                         "MorphSurfaces 0\nShadowOptions 7") +
                            objectLayer("Objects/A.lwo", "MorphAmount 0.5\nMorphTarget 3\n"
                                                         "MorphSurfaces 0\nShadowOptions 7"));
    EXPECT_EQ(scene->objects[0]->morphTarget, nullptr);
    EXPECT_EQ(scene->objects[1]->morphTarget, scene->objects[0].get());
    EXPECT_EQ(scene->objects[2]->morphTarget, nullptr);
}

TEST_F(SceneGl, MorphMixerWithAndWithoutPluginEnabled)
{
    writeMesh(files.dir, "Objects/Face.lwo", morphedMesh(2));
    auto scene = files.load(
        header() + objectLayer("Objects/Face.lwo", mixer(2, 2, false) + "ShadowOptions 7") +
        objectLayer("Objects/Face.lwo", mixer(2, 2, true) + "ObjectDissolve 0.5\nShadowOptions 7") +
        // More envelopes than channels, and more channels than the mesh has morphs.
        objectLayer("Objects/Face.lwo", mixer(1, 3, false) + "ShadowOptions 7") +
        objectLayer("Objects/Face.lwo", mixer(5, 4, false) + "ShadowOptions 7"));
    const auto& objects = scene->objects;
    EXPECT_EQ(objects[0]->flags, ObjectFlag::morphMixer);
    ASSERT_EQ(objects[0]->morphChannelCount, 2);
    ASSERT_EQ(objects[0]->morphEnvelopes.size(), 2u);
    EXPECT_EQ(evaluateEnvelope(objects[0]->morphEnvelopes[1], 0.0f), 0.5f);
    ASSERT_NE(objects[0]->morphMesh, nullptr);

    // "PluginEnabled" after the data switches the mixer off, but the data is still read.
    EXPECT_EQ(objects[1]->flags, 0u);
    EXPECT_EQ(objects[1]->morphEnvelopes.size(), 2u);
    EXPECT_NE(objects[1]->morphMesh, nullptr);
    EXPECT_EQ(objects[1]->dissolve->value, 0.5f);

    EXPECT_EQ(objects[2]->morphChannelCount, 1);
    EXPECT_EQ(objects[2]->morphEnvelopes.size(), 1u);
    EXPECT_EQ(objects[3]->morphChannelCount, 2);
    EXPECT_EQ(objects[3]->morphEnvelopes.size(), 2u);
    EXPECT_EQ(evaluateEnvelope(objects[3]->morphEnvelopes[1], 0.0f), 0.5f);
}

TEST_F(SceneGl, FlaresTakeTheTextureNamedLikeTheLight)
{
    writeTga(files.dir, "tex/Sun1.tga");
    writeTga(files.dir, "tex/Dim.tga");
    auto scene = files.load(
        header() + flareLight("Sun1", 1.0f, "0.8\nFlareDissolve 0.25\nLensFlareFade 4\n") +
        flareLight("Dim", 0.0f, "0.5\nFlareNominalDistance 2\nFlareDissolve 0\nLensFlareFade 1\n") +
        light("Plain", 0, 1.0f));
    ASSERT_EQ(scene->lights.size(), 3u);
    const Light& sun = *scene->lights[0];
    ASSERT_NE(sun.flareTexture, nullptr);
    EXPECT_EQ(sun.flareTexture->name, files.dir.path().string() + "/tex/Sun1.tga");
    ASSERT_TRUE(sun.flareIntensity);
    EXPECT_EQ(sun.flareIntensity->value, 0.8f);
    // Without "FlareNominalDistance" the flare keeps 5.0.
    EXPECT_EQ(sun.flareNominalDistance.value, 5.0f);
    ASSERT_TRUE(sun.flareDissolve);
    EXPECT_EQ(sun.flareDissolve->value, 0.25f);
    EXPECT_EQ(sun.lensFlareFade, 4);

    // A switched-off light keeps its flare.
    const Light& dim = *scene->lights[1];
    EXPECT_TRUE(dim.isSwitchedOff());
    EXPECT_NE(dim.flareTexture, nullptr);
    EXPECT_EQ(dim.flareNominalDistance.value, 2.0f);
    EXPECT_EQ(scene->flareCount, 2);
    ASSERT_EQ(scene->flareLights.size(), 2u);
    EXPECT_EQ(scene->flareLights[1], &dim);
    EXPECT_EQ(scene->activeLights.size(), 2u);
    EXPECT_EQ(scene->lights[2]->flareTexture, nullptr);

    // Without "FlareDissolve" the word in its place is dropped: "LensFlareFade" must follow it.
    auto undissolved =
        files.load(header() + flareLight("Sun1", 1.0f, "0.8\nFlareOptions\nLensFlareFade 2\n"));
    EXPECT_FALSE(undissolved->lights[0]->flareDissolve);
    EXPECT_EQ(undissolved->lights[0]->lensFlareFade, 2);
    EXPECT_EQ(files.loadError(header() + flareLight("Sun1", 1.0f, "0.8\nLensFlareFade 2\n")),
              "Lack of LensFlareFade");
}

TEST_F(SceneGl, ShadowTexturesOnlyForSpotLightsWithShadowType2)
{
    files.writeScene("shadows", header() +
                                    light("Spot", 2, 1.0f, "LightConeAngle 0.5\nShadowType 2\n") +
                                    light("SpotOff", 2, 0.0f, "ShadowType 2\n") +
                                    light("Soft", 2, 1.0f, "ShadowType 1\n") +
                                    light("Point", 1, 1.0f, "ShadowType 2\n"));
    // Reading makes no texture; the upload step makes them, once.
    auto scene =
        readScene("shadows", files.assets.paths, files.assets.meshes, files.assets.textures);
    const Light& spot = *scene->lights[0];
    EXPECT_EQ(spot.shadowTexture.name(), 0u);
    uploadScene(*scene);
    const GLuint made = spot.shadowTexture.name();
    uploadScene(*scene);
    EXPECT_EQ(spot.shadowTexture.name(), made);
    EXPECT_TRUE(spot.hasShadowTexture());
    // Lit as a positional light without a cone: the renderer sees type 6, not 2.
    EXPECT_EQ(spot.lightType, 6);
    EXPECT_EQ(spot.fileLightType, 2);
    ASSERT_NE(spot.shadowTexture.name(), 0u);
    EXPECT_TRUE(glIsTexture(spot.shadowTexture.name()));
    glBindTexture(GL_TEXTURE_2D, spot.shadowTexture.name());
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 256);

    const Light& off = *scene->lights[1];
    EXPECT_EQ(off.lightType, 2 + LightMark::shadowTexture + LightMark::switchedOff);
    EXPECT_FALSE(scene->lights[2]->hasShadowTexture());
    EXPECT_FALSE(scene->lights[3]->hasShadowTexture());
    EXPECT_EQ(scene->shadowLightCount, 2);
    ASSERT_EQ(scene->shadowLights.size(), 2u);
    EXPECT_EQ(scene->shadowLights[1], &off);

    // The texture goes with its light.
    // Switched-off lights keep their texture too; each goes with its light.
    const GLuint offName = off.shadowTexture.name();
    EXPECT_TRUE(glIsTexture(offName));
    EXPECT_EQ(scene->lights[2]->shadowTexture.name(), 0u);
    const GLuint name = spot.shadowTexture.name();
    scene.reset();
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_FALSE(glIsTexture(offName));
}

TEST_F(SceneGl, BackgroundAndForegroundImages)
{
    writeTga(files.dir, "Images/Back.tga");
    auto scene = files.load(header() +
                            "BGImage 0 0 0 0 \"Images/Back.tga\"\n"
                            "FGImage 0 0 0 0 \"Images/Back.tga\"\n"
                            "FGDissolve (envelope)\n" +
                            rampEnvelope(1, 0));
    ASSERT_NE(scene->bgImage, nullptr);
    EXPECT_EQ(scene->bgImage, scene->fgImage);
    EXPECT_EQ(scene->bgImage->width, 2);
    ASSERT_TRUE(scene->fgDissolve);
    EXPECT_EQ(evaluateChannel(*scene->fgDissolve, 0.5f), 0.5f);
}
