#include "TimelineFixture.h"
#include "support/CommandRun.h"

#include <gtest/gtest.h>

namespace {

// Runs demo-inspect timeline on dir/demo.txt; returns the exit status, output in out and err.
int inspect(const TempDir& dir, std::string& out, std::string& err)
{
    const CommandRun run = runCommand(dir, "cd '" + dir.path().string() + "' && '" + DEMO_INSPECT +
                                               "' timeline demo.txt");
    out = run.out;
    err = run.err;
    return run.status;
}

std::string targetTga()
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = 4;
    bytes[14] = 4;
    bytes[16] = 24;
    return bytes + std::string(4 * 4 * 3, '\x40');
}

} // namespace

TEST(InspectTimeline, PrintsLayersInOrderWithTheirEvents)
{
    TimelineFixture demo;
    demo.writeScene("city", 2, 25, 50);
    demo.dir.write("tex/glowtex.tga", targetTga());
    demo.dir.write("main.txt", "# comment\nfinal cl city 2 00:01:02:500\nglow none 00:00:01:000\n"
                               "glow cc city 1 00:00:02:250\n");
    demo.dir.write("demo.txt", "window 64 64 32 24 4 3 music.ogg . tex scn\n"
                               "main 0.5 12.25\nglow glowtex\nfinal screen\nempty screen\n");
    std::string out, err;
    ASSERT_EQ(inspect(demo.dir, out, err), 0) << err;
    EXPECT_EQ(out,
              "{\"startTime\": 0.5, \"endTime\": 12.25, \"layers\": ["
              "{\"name\": \"glow\", \"target\": \"./tex/glowtex.tga\", \"events\": ["
              "{\"time\": 1, \"clearMode\": 0, \"scene\": null, \"camera\": 0, \"sceneStart\": 0}, "
              "{\"time\": 2.25, \"clearMode\": 3, \"scene\": \"city\", \"camera\": 1, "
              "\"sceneStart\": 2}]}, "
              "{\"name\": \"final\", \"target\": null, \"events\": ["
              "{\"time\": 62.5, \"clearMode\": 2, \"scene\": \"city\", \"camera\": 2, "
              "\"sceneStart\": 2}]}, "
              "{\"name\": \"empty\", \"target\": null, \"events\": []}]}\n");
}

TEST(InspectTimeline, LoadingErrorsGoToStandardErrorWithStatus1)
{
    TimelineFixture demo;
    demo.dir.write("main.txt", "nolayer none 00:00:01:000\n");
    demo.dir.write("demo.txt",
                   "window 64 64 32 24 4 3 music.ogg . tex scn main 0 1 final screen\n");
    std::string out, err;
    EXPECT_EQ(inspect(demo.dir, out, err), 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("wrong layer name : such layer do not exist"), std::string::npos) << err;
}
