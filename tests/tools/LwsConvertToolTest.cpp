#include "support/CommandRun.h"
#include "support/LwsWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

CommandRun lwsconvert(const TempDir& dir, const std::string& arguments)
{
    return runCommand(dir, "cd '" + dir.path().string() + "' && " + LWSCONVERT + " " + arguments);
}

std::string versionFiveScene()
{
    lws::SceneDescription scene;
    scene.version = 5;
    lws::Item null = lws::item(lws::Item::Kind::Null, 0x10000003, "Null", lws::restChannels());
    lws::Item light = lws::item(lws::Item::Kind::Light, 0x20000000, "Light", lws::restChannels());
    light.parent = 0x10000003;
    scene.items = {null, light};
    return lws::writeScene(scene);
}

} // namespace

TEST(LwsConvertTool, WritesTheSceneAndOneSummaryLineOrTheWholeReport)
{
    TempDir dir;
    dir.write("Scenes/in.lws", versionFiveScene());
    const CommandRun run = lwsconvert(dir, "Scenes/in.lws Scenes/out.lws");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Scenes/in.lws: version 5: 1 object, 1 light, 0 cameras; dropped 21 lines "
                       "or blocks of 4 kinds, 0 defaults written, 0 changes (--report lists "
                       "them)\n");
    const std::string written = readFile(dir.file("Scenes/out.lws"));
    EXPECT_EQ(written.rfind("LWSC\n3\n", 0), 0u);
    EXPECT_NE(written.find("ParentItem 10000000"), std::string::npos);

    // Without OUT the scene goes to standard output, the report to standard error.
    const CommandRun report = lwsconvert(dir, "Scenes/in.lws --report");
    EXPECT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(report.out, written);
    EXPECT_NE(report.err.find("\ndropped  10  IK and path-align lines: IKInitCustomFrame, "),
              std::string::npos)
        << report.err;
    EXPECT_NE(report.err.find("\ndropped  1  light handler blocks: PointLight\n"),
              std::string::npos);
}

TEST(LwsConvertTool, LoadErrorsExitWithOneAndBadArgumentsWithTwo)
{
    TempDir dir;
    std::string text = versionFiveScene();
    text.replace(text.find("ParentItem 10000003"), 19, "ParentItem 10000004");
    dir.write("broken.lws", text);

    const CommandRun broken = lwsconvert(dir, "broken.lws out.lws");
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("lwsconvert: Cannot convert scene broken.lws: line "),
              std::string::npos)
        << broken.err;
    EXPECT_NE(broken.err.find(": ParentItem 10000004 names no item of the scene\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.lws")));

    const CommandRun missing = lwsconvert(dir, "missing.lws");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "lwsconvert: Cannot load file missing.lws from directory\n");

    EXPECT_EQ(lwsconvert(dir, "").status, 2);
    EXPECT_EQ(lwsconvert(dir, "broken.lws --no-such-option").status, 2);
    EXPECT_EQ(lwsconvert(dir, "--help").status, 0);
}
