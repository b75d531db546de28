#include "mesh/Po2Writer.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

CommandRun inspect(const TempDir& dir, const std::string& arguments)
{
    return runCommand(dir, std::string(DEMO_INSPECT) + " scene " + dir.path().string() +
                               " tex scenes " + arguments);
}

std::string envelope(const std::string& keys, int count)
{
    return "{ Envelope\n  " + std::to_string(count) + "\n" + keys + "  Behaviors 1 1\n}\n";
}

// Channel 0 runs from 0 at time 0 to x1 at time 1; the others rest.
std::string motion(const std::string& x1, int channels = 9)
{
    std::string text = "NumChannels " + std::to_string(channels) + "\n";
    for (int i = 0; i < channels; ++i) {
        text += "Channel " + std::to_string(i) + "\n";
        if (i == 0)
            text += envelope("  Key 0 0 3 0 0 0 0 0 0\n  Key " + x1 + " 1 3 0 0 0 0 0 0\n", 2);
        else
            text +=
                envelope(std::string("  Key ") + (i >= 6 ? "1" : "0") + " 0 0 0 0 0 0 0 0\n", 1);
    }
    return text;
}

std::string tinyTga()
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = 1;
    bytes[14] = 1;
    bytes[16] = 24;
    return bytes + std::string(3, '\x40');
}

void writeDemo(const TempDir& dir)
{
    Po2Description box;
    box.flags = MeshFlag::Polygons | MeshFlag::TrianglesOnly;
    box.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    box.vertexIndices = {0, 1, 2};
    dir.write("Objects/Box.po2", writePo2(box));
    dir.write("tex/Sun.tga", tinyTga());
    const std::string settings = "ZoomFactor 3.2\nResolutionMultiplier 1.0\nFrameSize 640 480\n"
                                 "PixelAspect 1\nMaskPosition 0 0 640 480\nMotionBlur 0\n"
                                 "FieldRendering 0\n";
    dir.write("scenes/show.lws",
              "LWSC\n3\nFirstFrame 15\nLastFrame 60\nFramesPerSecond 30\n"
              "FogType 1\nFogColor 0.5 0.25 1\nBackdropColor 0 0 0.5\n"
              "LoadObjectLayer 1 Objects/Box.lwo\nShowObject 6 3\nObjectMotion\n" +
                  motion("4") +
                  "ParentItem 10000001\nMorphAmount 0.5\nMorphTarget 2\nMorphSurfaces 0\n"
                  "ObjectDissolve 1\nUnseenByRays 1\nShadowOptions 2\n"
                  "LoadObjectLayer 1 Objects/Box.lwo\nObjectMotion\n" +
                  motion("0") + "ObjectDissolve (envelope)\n" +
                  envelope("  Key 0.5 0 0 0 0 0 0 0 0\n", 1) +
                  "ShadowOptions 7\n"
                  "AddLight\nLightName Sun\nShowLight 0 5\nLightMotion\n" +
                  motion("1") +
                  "ParentItem 10000000\nLightColor 1 1 1\nLightIntensity 1\nLightType 3\n"
                  "FlareIntensity 0.5\nFlareDissolve 0\nLensFlareFade 0\nShadowType 1\n"
                  "AddLight\nLightName Off\nShowLight 0 5\nLightMotion\n" +
                  motion("0") +
                  "LightColor 1 1 1\nLightIntensity 0\nLightType 1\nShadowType 1\n"
                  "AddCamera\nCameraMotion\n" +
                  motion("2", 6) + "ParentItem 40000000\n" + settings);
}

} // namespace

TEST(InspectScene, PrintsTheLoadedSceneAsJson)
{
    TempDir dir;
    writeDemo(dir);
    const CommandRun run = inspect(dir, "show --at 0,0.5");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string& out = run.out;
    EXPECT_NE(out.find("\"startTime\": 0.5,"), std::string::npos) << out;
    EXPECT_NE(out.find("\"endTime\": 2,"), std::string::npos);
    EXPECT_NE(out.find("\"fogType\": 1,"), std::string::npos);
    EXPECT_NE(out.find("\"nearClip\": 1,"), std::string::npos);
    EXPECT_NE(out.find("\"ambientColour\": null,"), std::string::npos);
    EXPECT_NE(out.find("\"fogColour\": [0.5, 0.25, 1, 1],"), std::string::npos);
    EXPECT_NE(out.find("\"backdropColour\": [0, 0, 0.5, 1],"), std::string::npos);
    // Removed by its dissolve, morphing towards the second object, parented to it.
    EXPECT_NE(out.find("{\"mesh\": \"Objects/Box.lwo\", \"flags\": 129, \"parent\": {\"kind\": 1, "
                       "\"index\": 1}, \"morphTarget\": 1, \"dissolve\": null, \"motion\": "
                       "[[0, 0, 0, 0, 0, 0, 1, 1, 1], [2, 0, 0, 0, 0, 0, 1, 1, 1]], \"passes\": "
                       "[]}"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"flags\": 0, \"parent\": null, \"morphTarget\": null, \"dissolve\": "
                       "\"envelope\""),
              std::string::npos);
    EXPECT_NE(out.find("{\"name\": \"Sun\", \"lightType\": 3, \"lightNumber\": 0, \"flare\": true, "
                       "\"parent\": {\"kind\": 1, \"index\": 0}"),
              std::string::npos);
    EXPECT_NE(out.find("{\"name\": \"Off\", \"lightType\": 1, \"lightNumber\": null, \"flare\": "
                       "false, \"parent\": null"),
              std::string::npos);
    // A camera parented to a bone has no parent.
    EXPECT_NE(out.find("{\"parent\": null, \"motion\": [[0, 0, 0, 0, 0, 0], [1, 0, 0, 0, 0, 0]]}"),
              std::string::npos);

    // The whole output is one JSON document with the scene's fields in their order.
    const auto scene = nlohmann::ordered_json::parse(out);
    std::vector<std::string> keys;
    for (const auto& field : scene.items())
        keys.push_back(field.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"startTime", "endTime", "frameDuration", "fogType",
                                              "nearClip", "ambientColour", "fogColour",
                                              "backdropColour", "bgPasses", "fgPasses", "programs",
                                              "objects", "lights", "cameras"}));
    EXPECT_EQ(scene["frameDuration"].get<float>(), 1.0f / 30.0f);

    const CommandRun plain = inspect(dir, "show");
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out.find("\"motion\""), std::string::npos);
}

TEST(InspectScene, PrintsThePassesAndProgramsOfTheMaterialFile)
{
    TempDir dir;
    writeDemo(dir);
    dir.write("shd/Wave.txt", "!!ARBvp1.0\nMOV result.position, vertex.position;\nEND\n");
    dir.write("scenes/show.txt",
              "BackgroundImage\nBlend Func Sub Src ConstAlpha Dst 1 ConstAlpha 0.5 Vert Wave .\n"
              "ForegroundImage\nDepth Write Off Func IfEqual Cull Back .\n"
              "ForegroundImage\nBlend Off Depth Off Cull Off Set Off .\n"
              "Box 2\nSet PriName Sun PriMin Near SecMag LinSharp PriAtp 3 SecBias -1 SecWrapV "
              "Mirror . Pix Wave .\n"
              "Box 1\nFrag out.rgb = col0; out.a = one; End .\n");
    const CommandRun run = inspect(dir, "show");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string& out = run.out;
    const std::string wave = "{\"name\": \"Wave\", \"target\": 34336}";
    EXPECT_NE(out.find("\"bgPasses\": [{\"depth\": null, \"blend\": {\"enabled\": true, "
                       "\"equation\": 32778, \"srcFactor\": 32771, \"dstFactor\": 1, "
                       "\"constColour\": [0, 0, 0, 0.5]}, \"vertexProgram\": " +
                       wave +
                       ", \"pixelProgram\": null, \"stages\": null, \"cull\": null, "
                       "\"combiners\": null}],\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"fgPasses\": [{\"depth\": {\"enabled\": true, \"writeMask\": false, "
                       "\"func\": 514}, \"blend\": null, \"vertexProgram\": null, "
                       "\"pixelProgram\": null, \"stages\": null, \"cull\": {\"enabled\": true, "
                       "\"frontFace\": 2305}, \"combiners\": null}, {\"depth\": {\"enabled\": "
                       "false}, \"blend\": {\"enabled\": false}, \"vertexProgram\": null, "
                       "\"pixelProgram\": null, \"stages\": {\"enabled\": false}, \"cull\": "
                       "{\"enabled\": false}, \"combiners\": null}],\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"programs\": [" + wave + "],\n"), std::string::npos);
    EXPECT_NE(out.find("\"stages\": null, \"cull\": null, \"combiners\": true}]"),
              std::string::npos);
    // The second Box gets the pass; the texture is named by the path the cache keys it by.
    const std::string sun = dir.file("tex/Sun.tga");
    EXPECT_NE(out.find("\"passes\": [{\"depth\": null, \"blend\": null, \"vertexProgram\": "
                       "null, \"pixelProgram\": " +
                       wave + ", \"stages\": {\"enabled\": true, \"primary\": \"" + sun +
                       "\", \"secondary\": null, \"priMin\": 9728, \"priMag\": 9729, "
                       "\"secMin\": 9987, \"secMag\": 32941, \"priWrapU\": 10497, "
                       "\"priWrapV\": 10497, \"secWrapU\": 10497, \"secWrapV\": 33648, "
                       "\"priAnisotropy\": 3, \"secAnisotropy\": "),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"priBias\": 0, \"secBias\": -1}, \"cull\": null, \"combiners\": "
                       "null}]}"),
              std::string::npos);
}

TEST(InspectScene, LoadingErrorsGoToStandardError)
{
    TempDir dir;
    dir.write("scenes/bad.lws", "LWSC\n2\n");
    const CommandRun run = inspect(dir, "bad");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("Not LW version 6 or higher"), std::string::npos);

    EXPECT_EQ(inspect(dir, "bad --at").status, 2);
}

TEST(InspectScene, NamesThatAreNotUtf8ReadAsLatin1)
{
    TempDir dir;
    std::string text = "LWSC\n3\nFramesPerSecond 30\n";
    for (const char* name : {"Sonne\xE9", "S\xC3\xB6\"n"})
        text += std::string("LightName ") + name + "\nShowLight 0 5\nLightMotion\n" + motion("0") +
                "LightColor 1 1 1\nLightIntensity 1\nLightType 1\nShadowType 1\n";
    dir.write("scenes/names.lws", text);
    const CommandRun run = inspect(dir, "names");
    ASSERT_EQ(run.status, 0) << run.err;
    // Each byte of the Latin-1 name becomes its code point; the UTF-8 name stays as it is.
    const nlohmann::json scene = nlohmann::json::parse(run.out);
    EXPECT_EQ(scene["lights"][0]["name"], "Sonne\u00e9") << run.out;
    EXPECT_EQ(scene["lights"][1]["name"], "S\u00f6\"n") << run.out;
}
