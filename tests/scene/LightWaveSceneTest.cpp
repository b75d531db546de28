#include "SceneAssets.h"
#include "SceneFixture.h"

#include "mesh/Mesh.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

using namespace sceneassets;

namespace {

std::string constantChannel(int index, const char* value)
{
    return "Channel " + std::to_string(index) + "\n{ Envelope\n  1\n  Key " + value +
           " 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
}

// Nine channels at rest except where `values` says otherwise (position, rotation, scale).
std::string restMotion(const char* x = "0", const char* heading = "0", int count = 9)
{
    const char* values[9] = {x, "0", "0", heading, "0", "0", "1", "1", "1"};
    std::string text = "NumChannels " + std::to_string(count) + "\n";
    for (int i = 0; i < count; ++i)
        text += constantChannel(i, values[i]);
    return text;
}

// A scene as LightWave 6 to 9 writes it: every block in full, including the settings the
// player does not read.
std::string lightWaveScene()
{
    return "LWSC\n3\n\n"
           "FirstFrame 1\nLastFrame 120\nFrameStep 1\nPreviewFirstFrame 0\n"
           "PreviewLastFrame 120\nPreviewFrameStep 1\nCurrentFrame 0\nFramesPerSecond 30\n\n"
           "LoadObjectLayer 1 Objects/Ship.lwo\nShowObject 6 3\nObjectMotion\n"
           "NumChannels 9\nChannel 0\n{ Envelope\n  2\n"
           "  Key 0 0 0 0 0 0 0 0 0\n  Key 4 4 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n" +
           constantChannel(1, "0.5") + constantChannel(2, "0") + constantChannel(3, "1.570796") +
           constantChannel(4, "0") + constantChannel(5, "0") + constantChannel(6, "1") +
           constantChannel(7, "1") + constantChannel(8, "1") +
           "ParentItem 10000001\n"
           "ObjectDissolve (envelope)\n{ Envelope\n  2\n"
           "  Key 0 0 3 0 0 0 0 0 0\n  Key 1 2 3 0 0 0 0 0 0\n  Behaviors 1 1\n}\n"
           "ShadowOptions 7\n\n"
           "AddNullObject Pivot\nShowObject 6 3\nObjectMotion\n" +
           restMotion("1") +
           "ShadowOptions 7\n\n"
           "AmbientColor 1 1 1\nAmbientIntensity 0.25\n\n"
           "AddLight\nLightName Light\nShowLight 0 5\nLightMotion\n" +
           restMotion() +
           "LightColor 1 1 1\nLightIntensity 1\nAffectCaustics 1\nLightType 0\n"
           "ShadowType 1\nShadowColor 0 0 0\n\n"
           "AddLight\nLightName Sun\nShowLight 0 5\nLightMotion\n" +
           restMotion("0", "0.7853982") +
           "ParentItem 10000000\n"
           "LightColor 1 0.9 0.8\nLightIntensity 0.8\nAffectCaustics 1\nLightType 2\n"
           "LightConeAngle 0.5235988\nLightEdgeAngle 0.0872665\nLensFlare 1\n"
           "FlareIntensity 0.6\nFlareNominalDistance 2\nFlareDissolve 0\nLensFlareFade 4\n"
           "LensFlareOptions 7\nFlareRandStreakInt 0.05\nShadowType 1\nShadowColor 0 0 0\n\n"
           "AddCamera\nCameraName Camera\nShowCamera 1 2\nCameraMotion\n" +
           restMotion("0", "0", 6) +
           "HController 0\nPController 0\nBController 0\nParentItem 10000001\n"
           "ZoomFactor 3.2\nResolutionMultiplier 1.0\nFrameSize 640 480\nPixelAspect 1\n"
           "MaskPosition 0 0 640 480\nMotionBlur 0\nFieldRendering 0\n\n"
           "ApertureHeight 0.015\nAntialiasing 0\nAdaptiveSampling 1\nAdaptiveThreshold 0.1\n"
           "DepthOfField 1\nFocalDistance 1\nLensFStop 4\n\n"
           "SolidBackdrop 1\nBackdropColor 0.1 0.2 0.3\nZenithColor 0 0.1569 0.3137\n"
           "SkyColor 0.4706 0.7059 0.9412\nGroundColor 0.1961 0.1569 0.1176\n"
           "NadirColor 0.3922 0.3137 0.2353\nFogType 1\nFogMinDistance 1\n"
           "FogMaxDistance 50\nFogColor 0.5 0.5 0.6\nDitherIntensity 1\nAnimatedDither 0\n\n"
           "RenderMode 2\nRayTraceEffects 0\nClipRayColors 0\nDataOverlayLabel  \nSaveRGB 0\n"
           "SaveAlpha 0\n\nViewConfiguration 0\nDefineView 0\nViewMode 5\n"
           "ViewAimpoint 0 0 0\nViewRotation 0 0 0\nViewZoomFactor 3.2\n\n"
           "LayoutGrid 3\nGridNumber 20\nGridSize 0.5\nCameraViewBG 0\nShowMotionPath 1\n"
           "ShowFogRadius 0\nShowFogEffect 0\nShowSafeAreas 0\nShowFieldChart 0\n\n"
           "CurrentObject 0\nCurrentLight 1\nCurrentCamera 0\nGraphEditorFavorites\n"
           "{ GraphEd_Favorites\n}\n";
}

class LightWaveScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureOffscreenGl();
        resetGlState();
        writeMesh(files.dir, "Objects/Ship.lwo", triangle());
        writeTga(files.dir, "tex/Sun.tga");
    }

    SceneFiles files;
};

} // namespace

TEST_F(LightWaveScene, LoadsAsLightWaveWroteIt)
{
    auto scene = files.load(lightWaveScene());
    EXPECT_EQ(scene->startTime, static_cast<float>(1.0L / 30.0L));
    EXPECT_EQ(scene->endTime, 4.0f);
    EXPECT_EQ(scene->fogType, 1);
    ASSERT_TRUE(scene->fogColour);
    EXPECT_EQ(scene->fogColour->blue, 0.6f);
    EXPECT_EQ(scene->fogMinDistance->value, 1.0f);
    EXPECT_EQ(scene->fogMaxDistance->value, 50.0f);
    ASSERT_TRUE(scene->backdropColour);
    EXPECT_EQ(scene->backdropColour->green, 0.2f);
    EXPECT_EQ(scene->ambientIntensity->value, 0.25f);

    ASSERT_EQ(scene->objects.size(), 2u);
    const SceneObject& ship = *scene->objects[0];
    const SceneObject& pivot = *scene->objects[1];
    EXPECT_EQ(ship.mesh->name, "Objects/Ship.lwo");
    EXPECT_EQ(ship.parent, &pivot);
    EXPECT_EQ(evaluateChannel(*ship.dissolve, 1.0f), 0.5f);
    EXPECT_EQ(evaluateMotionChannel(ship.motion, MotionChannel::X, 2.0f), 2.0f);
    EXPECT_EQ(ship.flags, 0u);
    EXPECT_EQ(pivot.mesh, nullptr);

    ASSERT_EQ(scene->lights.size(), 2u);
    const Light& sun = *scene->lights[1];
    EXPECT_EQ(sun.name, "Sun");
    EXPECT_EQ(sun.lightType, 2);
    EXPECT_EQ(sun.glLight, static_cast<std::uint32_t>(GL_LIGHT1));
    EXPECT_EQ(sun.parent, &ship);
    EXPECT_EQ(sun.coneAngle->value, 0.5235988f);
    EXPECT_EQ(sun.flareNominalDistance.value, 2.0f);
    EXPECT_EQ(sun.lensFlareFade, 4);
    EXPECT_EQ(sun.colour.green, 0.9f);
    ASSERT_EQ(scene->flareLights.size(), 1u);
    EXPECT_EQ(scene->flareLights[0], &sun);
    EXPECT_EQ(scene->activeLights.size(), 2u);

    ASSERT_EQ(scene->cameras.size(), 1u);
    const Camera& camera = *scene->cameras[0];
    EXPECT_EQ(camera.parent, &pivot);
    EXPECT_EQ(camera.zoomFactor.value, 3.2f);
    // Depth of field is looked for right after the blur settings only.
    EXPECT_FALSE(camera.focalDistance);
}

TEST_F(LightWaveScene, EveryCutOfTheFileLoadsOrFailsCleanly)
{
    const std::string text = lightWaveScene();
    std::size_t loaded = 0;
    for (std::size_t length = 0; length < text.size(); ++length) {
        try {
            files.load(text.substr(0, length));
            ++loaded;
        } catch (const LoadError&) {
        }
    }
    // Cuts inside the trailing settings still give the whole scene.
    EXPECT_GT(loaded, 100u);
}

TEST_F(LightWaveScene, HugeNumbersInPlaceOfAnyDigitFailCleanly)
{
    const std::string text = lightWaveScene();
    std::size_t loaded = 0;
    std::size_t refused = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9')
            continue;
        for (const char* number : {"99999999", "-7"}) {
            std::string damaged = text;
            damaged.replace(at, 1, number);
            // A loading error's text ("Not Key", "Bad envelope key count in ..."), else "";
            // any other exception, or a crash, fails the test on its own.
            const std::string error = files.loadError(damaged);
            (error.empty() ? loaded : refused) += 1;
        }
    }
    // Most numbers are values any float takes; key counts, channel counts and the version
    // refuse.
    EXPECT_GT(loaded, refused);
    EXPECT_GT(refused, 0u);
    // Nothing a failed load left behind spoils the next one.
    EXPECT_EQ(files.load(text)->objects.size(), 2u);
}

namespace {

// The LightWave scene with one more object that uses every optional part: bones, a morph target,
// the mixer, dissolve, point size, line thickness and the switches, and a spot light with a
// shadow texture.
std::string fullFeatureScene()
{
    std::string bones;
    for (const char* parent : {"10000002", "40000000"})
        bones += std::string("AddBone\nBoneName Bone\nShowBone 1 -1\nBoneActive 1\n"
                             "BoneRestPosition 0 0.5 0\nBoneRestDirection 90 0 0\n"
                             "BoneRestLength 0.5\nScaleBoneStrength 1\nBoneStrength 1\n"
                             "BoneMinRange 0\nBoneMaxRange 1\nBoneType 0\nBoneMotion\n") +
                 restMotion() + "ParentItem " + parent + "\n";
    const std::string weight = "{ Envelope\n  1\n  Key 0.5 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
    return lightWaveScene() + "LoadObjectLayer 1 Objects/Rig.lwo\nShowObject 6 3\nObjectMotion\n" +
           restMotion() + "BoneFalloffType 5\n" + bones +
           "HController 0\nParentItem 10000000\nMorphAmount 0.5\nMorphTarget 1\n"
           "MorphSurfaces 0\nPlugin DisplacementHandler 1 LW_MorphMixer\n2 1\nGroup All 2 0 0\n"
           "Morph M0 0 0\n" +
           weight + "End\nMorph M1 0 0\n" + weight +
           "End\nEndPlugin\nObjectDissolve 0.5\nPolygonSize 2\nLineThickness 2 0 0 0\n"
           "UnaffectedByFog 1\nUnseenByRays 1\nUnseenByCamera 1\nUnseenByAlphaChannel 1\n"
           "ShadowOptions 2\n\nAddLight\nLightName Sun\nShowLight 0 5\nLightMotion\n" +
           restMotion() +
           "LightColor 1 1 1\nLightIntensity 1\nLightType 2\nLightConeAngle 0.5\n"
           "FlareIntensity 0.5\nFlareDissolve 0\nLensFlareFade 0\nShadowType 2\n";
}

} // namespace

TEST_F(LightWaveScene, EveryWordDroppedDoubledOrSwappedLoadsOrFailsCleanly)
{
    Po2Description rig = triangle();
    rig.flags |= MeshFlag::VertexWeights | MeshFlag::Morphs;
    rig.vertexWeights = {1, 1, 1};
    rig.triangleBones = {1};
    rig.morphSizes = {1, 1};
    rig.morphDeltas = {{0.0f, 0.0f, 1.0f, 2}, {0.0f, 1.0f, 0.0f, 1}};
    writeMesh(files.dir, "Objects/Rig.lwo", rig);
    const std::string text = fullFeatureScene();
    auto full = files.load(text);
    ASSERT_EQ(full->objects.size(), 3u);
    const SceneObject& complete = *full->objects[2];
    EXPECT_EQ(complete.bones.size(), 2u);
    EXPECT_EQ(complete.morphEnvelopes.size(), 2u);
    EXPECT_EQ(complete.flags, ObjectFlag::additive | ObjectFlag::unlit | ObjectFlag::noDepthTest |
                                  ObjectFlag::morphMixer | ObjectFlag::noBlending |
                                  ObjectFlag::combineScale2 | ObjectFlag::shadowCaster);
    ASSERT_EQ(full->lights.size(), 3u);
    EXPECT_TRUE(full->lights[2]->hasShadowTexture());

    std::vector<std::pair<std::size_t, std::size_t>> words;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = text.find_first_not_of(" \n", at);
        if (start == std::string::npos)
            break;
        const std::size_t end = std::min(text.find_first_of(" \n", start), text.size());
        words.emplace_back(start, end - start);
        at = end;
    }
    std::size_t loaded = 0;
    // Whatever loads keeps every link and count inside its lists.
    auto check = [](const Scene& scene) {
        const std::size_t items = scene.objects.size() + scene.lights.size() + scene.cameras.size();
        auto chainEnds = [&](const SceneItem& item, std::size_t bound) {
            const SceneItem* ancestor = item.parent;
            for (std::size_t step = 0; ancestor; ++step, ancestor = ancestor->parent) {
                if (step > bound)
                    return false;
            }
            return true;
        };
        for (const auto& object : scene.objects) {
            EXPECT_TRUE(chainEnds(*object, items));
            if (object->morphTarget) {
                EXPECT_NE(object->morphTarget->mesh, nullptr);
            }
            const std::size_t morphs = object->mesh ? object->mesh->morphCount : 0u;
            EXPECT_LE(object->morphEnvelopes.size(), morphs);
            EXPECT_EQ(static_cast<std::size_t>(object->morphChannelCount),
                      object->morphEnvelopes.size());
            EXPECT_LE(object->bones.size(), object->mesh ? object->mesh->boneCount : 0u);
            for (const auto& bone : object->bones)
                EXPECT_TRUE(chainEnds(*bone, items + object->bones.size()));
        }
        EXPECT_LE(scene.activeLights.size(), 8u);
        for (std::size_t n = 0; n < scene.activeLights.size(); ++n)
            EXPECT_EQ(scene.activeLights[n]->lightNumber, static_cast<std::int32_t>(n));
        for (const auto& light : scene.lights)
            EXPECT_TRUE(chainEnds(*light, items));
        for (const auto& camera : scene.cameras)
            EXPECT_TRUE(chainEnds(*camera, items));
    };
    auto tryLoad = [&](const std::string& damaged) {
        try {
            check(*files.load(damaged));
            ++loaded;
        } catch (const LoadError&) {
        }
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        const auto [start, length] = words[i];
        tryLoad(text.substr(0, start) + text.substr(start + length));
        tryLoad(text.substr(0, start + length) + " " + text.substr(start));
        if (i + 1 < words.size()) {
            const auto [nextStart, nextLength] = words[i + 1];
            tryLoad(text.substr(0, start) + text.substr(nextStart, nextLength) + " " +
                    text.substr(start, length) + text.substr(nextStart + nextLength));
        }
    }
    EXPECT_GT(loaded, 0u);
}
