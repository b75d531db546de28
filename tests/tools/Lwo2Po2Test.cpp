#include "../lwo/LwoSamples.h"

#include "mesh/Po2Reader.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

CommandRun lwo2po2(const TempDir& dir, const std::string& arguments)
{
    return runCommand(dir, "cd '" + dir.path().string() + "' && " + LWO2PO2 + " " + arguments);
}

const TextureLookup noTextures = [](const std::string&) { return nullptr; };

} // namespace

TEST(Lwo2Po2, WritesThePo2FileThePlayerLooksForAndSummarisesIt)
{
    TempDir dir;
    dir.write("Objects/Cube.lwo", texturedCubeLwo());
    const CommandRun run = lwo2po2(dir, "Objects/Cube.lwo");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Objects/Cube.po2: 8 vertices, 6 polygons, 24 corners; UV set 0 \"UV\" "
                       "(texture \"checker\"); dropped: nothing\n");
    // The player's own path rule finds what the tool wrote.
    const Mesh mesh = readPo2(po2Path(dir.path().string(), "Objects/Cube.lwo"), noTextures);
    EXPECT_EQ(mesh.vertexCount, 8);
    EXPECT_EQ(mesh.polygonCount, 6);

    const CommandRun named = lwo2po2(dir, "Objects/Cube.lwo other.po2 --env chrome");
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_TRUE(readPo2(dir.file("other.po2"), noTextures).has(MeshFlag::EnvironmentTexture));
}

TEST(Lwo2Po2, InfoListsLayersMapsSurfacesAndImagesWithoutWriting)
{
    TempDir dir;
    dir.write("cube.lwo", texturedCubeLwo());
    const CommandRun run = lwo2po2(dir, "cube.lwo --info");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "cube.lwo: LWO2, 1 layers, 1 surfaces, 1 images\n"
                       "layer 1 \"cube\": 8 points, 6 polygons\n"
                       "  map TXUV \"UV\": 8 points, 2 values each\n"
                       "  map TXUV (VMAD) \"UV\": 4 corners, 2 values each\n"
                       "surface \"Cube\"\n"
                       "  COLR image \"Textures/checker.tga\" on UV map \"UV\"\n"
                       "image 1: \"Textures/checker.tga\"\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("cube.po2")));
}

TEST(Lwo2Po2, ReadsLwo3ObjectsAndListsWhatItDidNotRead)
{
    TempDir dir;
    const std::string envelope = lwo3::form("ENVL", iff::chunk("KEY ", iff::f4(0) + iff::f4(1)));
    dir.write("cube.lwo", texturedCubeLwo3(envelope));
    const CommandRun info = lwo2po2(dir, "cube.lwo --info");
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out.rfind("cube.lwo: LWO3, 1 layers, 1 surfaces, 1 images\n", 0), 0u);
    EXPECT_NE(info.out.find("\n  COLR image \"Textures/checker.tga\" on UV map \"UV\"\n"),
              std::string::npos);
    EXPECT_NE(info.out.find("\nnot read: ENVL forms (not read)\n"), std::string::npos);

    const CommandRun run = lwo2po2(dir, "cube.lwo");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "cube.po2: 8 vertices, 6 polygons, 24 corners; UV set 0 \"UV\" "
                       "(texture \"checker\"); dropped: ENVL forms (not read)\n");
    EXPECT_EQ(readPo2(dir.file("cube.po2"), noTextures).vertexCount, 8);
}

TEST(Lwo2Po2, LoadErrorsExitWithOneAndBadArgumentsWithTwo)
{
    TempDir dir;
    std::string cut = texturedCubeLwo();
    cut.resize(cut.size() / 2);
    dir.write("cut.lwo", cut);
    dir.write("cube.lwo", texturedCubeLwo());
    struct Case {
        const char* arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"cut.lwo", 1,
         "lwo2po2: Cannot read LightWave object cut.lwo: FORM chunk at byte 4: FORM length 558 "
         "runs past the end of the file (275 bytes left)"},
        {"missing.lwo", 1, "lwo2po2: Cannot load file missing.lwo from directory"},
        {"cube.lwo --layer 2", 1, "it has no layer 2 (layers: 1)"},
        {"cube.lwo --layer 0", 2, "--layer"},
        {"cube.lwo --env chrome --tex1 dirt", 2, "texture 1 is either --env or --tex1/--uv1"},
        {"cube.lwo --frobnicate", 2, "--frobnicate"},
        {"", 2, "IN is required"},
        {"ab", 2, "give OUT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CommandRun run = lwo2po2(dir, c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("cut.po2")));
    const CommandRun help = lwo2po2(dir, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: lwo2po2"), std::string::npos);
}
