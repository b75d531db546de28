#include "CaptureCommand.h"
#include "DecodedVideo.h"
#include "SampleDemo.h"

#include "platform/AudioFile.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

// 0.9 s at 20 fps: 19 frames of 160 x 120, cut into parts of 4 or 5 frames.
constexpr int gridFrames = 19;
constexpr const char* grid = "--fps 20 --to 0.9";

// The tiny demo with a second of music, so the span's audio is not all silence.
void writeDemo(const TempDir& demo)
{
    writeTinyDemo(demo.path().string(), 1.0f, 1.0f);
}

// Renders `parts` parts of the grid to NAME-I.EXT (NAME-I/ for folders) and a single run to
// NAME.EXT; returns the part paths, last part first, so that the join has to order them.
std::vector<std::string> renderParts(const TempDir& demo, const std::string& name,
                                     const std::string& extension, int parts,
                                     const std::string& extra = "")
{
    std::vector<std::string> paths;
    for (int part = parts; part >= 1; --part) {
        const std::string out = name + "-" + std::to_string(part) + extension;
        const CommandRun segment =
            capture(demo, "--out " + out + " " + grid + " --segment " + std::to_string(part) + "/" +
                              std::to_string(parts) + " " + extra);
        EXPECT_EQ(segment.status, 0) << segment.err;
        paths.push_back(out);
    }
    const CommandRun single = capture(demo, "--out " + name + extension + " " + grid + " " + extra);
    EXPECT_EQ(single.status, 0) << single.err;
    return paths;
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += " " + part;
    return text;
}

// The grid rendered in parts and as a single run, the parts joined, both files decoded.
struct JoinedVideo {
    std::vector<std::string> parts; // last part first
    DecodedVideo single;            // demo.EXT
    DecodedVideo whole;             // joined.EXT
};

// Renders the grid in `parts` parts and as a single run to demo.EXT and joins the parts into
// joined.EXT. Fails fatally unless the join succeeds and both files hold a picture for each grid
// time; the joined file's pictures must carry those times.
void renderAndJoin(const TempDir& demo, const std::string& extension, int parts, JoinedVideo& video)
{
    video.parts = renderParts(demo, "demo", extension, parts);
    const CommandRun join = capture(demo, "join joined" + extension + joined(video.parts));
    ASSERT_EQ(join.status, 0) << join.err;
    video.single = decodeVideo(demo.file("demo" + extension));
    video.whole = decodeVideo(demo.file("joined" + extension));
    ASSERT_EQ(video.single.pictures.size(), static_cast<std::size_t>(gridFrames));
    ASSERT_EQ(video.whole.pictures.size(), video.single.pictures.size());
    for (std::size_t i = 0; i < video.whole.pictures.size(); ++i)
        EXPECT_NEAR(video.whole.pictures[i].seconds, static_cast<double>(i) / 20.0, 0.001) << i;
}

} // namespace

// FFV1 is lossless: the joined file decodes to exactly the single run's pictures, one per grid
// time, and its FLAC audio to exactly the single run's samples.
TEST(CaptureJoin, MkvPartsJoinToTheSingleRunsFramesAndAudio)
{
    TempDir demo;
    writeDemo(demo);
    JoinedVideo video;
    ASSERT_NO_FATAL_FAILURE(renderAndJoin(demo, ".mkv", 4, video));
    const DecodedVideo& single = video.single;
    const DecodedVideo& whole = video.whole;
    for (std::size_t i = 0; i < whole.pictures.size(); ++i)
        EXPECT_TRUE(whole.pictures[i].rgb == single.pictures[i].rgb) << "frame " << i;
    EXPECT_EQ(whole.sampleRate, single.sampleRate);
    ASSERT_FALSE(single.samples.empty());
    EXPECT_TRUE(whole.samples == single.samples);
    // A part alone carries no audio.
    EXPECT_TRUE(decodeVideo(demo.file(video.parts.front())).samples.empty());
}

// H.264 parts are copied, not re-encoded: the same frame count, timestamps a frame apart with
// no seam, every picture close to the single run's, and the audio encoded once as it does.
TEST(CaptureJoin, Mp4PartsJoinWithContinuousTimesAndTheSingleRunsAudio)
{
    TempDir demo;
    writeDemo(demo);
    JoinedVideo video;
    ASSERT_NO_FATAL_FAILURE(renderAndJoin(demo, ".mp4", 2, video));
    const DecodedVideo& single = video.single;
    const DecodedVideo& whole = video.whole;
    for (std::size_t i = 0; i < whole.pictures.size(); ++i)
        EXPECT_GT(psnr(single.pictures[i].rgb, whole.pictures[i].rgb), 40.0) << "frame " << i;
    ASSERT_FALSE(single.samples.empty());
    EXPECT_TRUE(whole.samples == single.samples);
}

// Folder parts hold their frames under their grid numbers; the join links them into one
// sequence, byte for byte the single run's, with the single run's audio.wav.
TEST(CaptureJoin, FolderPartsJoinIntoTheSingleRunsSequence)
{
    TempDir demo;
    writeDemo(demo);
    const std::vector<std::string> parts = renderParts(demo, "frames", "/", 3);
    const CommandRun join = capture(demo, "join joined/" + joined(parts));
    ASSERT_EQ(join.status, 0) << join.err;
    for (int frame = 0; frame < gridFrames; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06d.png", frame);
        EXPECT_TRUE(readFile(demo.file(std::string("joined") + name)) ==
                    readFile(demo.file(std::string("frames") + name)))
            << name;
    }
    EXPECT_FALSE(std::filesystem::exists(demo.file("joined/frame-000019.png")));
    EXPECT_FALSE(std::filesystem::exists(demo.file("frames-1/audio.wav")));
    EXPECT_TRUE(readFile(demo.file("joined/audio.wav")) == readFile(demo.file("frames/audio.wav")));
}

// Parts that do not fit together are refused, naming the frames or the odd part.
TEST(CaptureJoin, PartsWithAGapAnOverlapOrAnotherSizeOrDemoAreRefusedByName)
{
    TempDir demo;
    writeDemo(demo);
    const auto part = [&](const std::string& out, const std::string& frames,
                          const std::string& extra = "") {
        const CommandRun made =
            capture(demo, "--out " + out + " " + grid + " --frames " + frames + " " + extra);
        EXPECT_EQ(made.status, 0) << out << ": " << made.err;
    };
    part("a/", "0-9");
    part("b/", "10-18");
    part("gap/", "12-18");
    part("over/", "8-18");
    part("small/", "10-18", "--size 80x60");
    part("sharp/", "10-18", "--anisotropy 4");
    part("missing/", "0-9");
    std::filesystem::remove(demo.file("missing/part.json"));
    // Another configuration: the same grid from a demo that ends later.
    demo.write("other.txt", readFile(demo.file("defaultdemoconfig.txt")) + "\n");
    part("other/", "10-18", "other.txt");
    struct Case {
        const char* parts;
        const char* message;
    };
    const Case cases[] = {
        {"a/ gap/", "frames 10-11 missing"},
        {"a/ over/", "frames 8-9 in both a/ and over/"},
        {"a/", "frames 10-18 missing"},
        {"a/ b/ b/", "frames 10-18 in both b/ and b/"},
        {"a/ small/", "small/ has another picture size"},
        {"a/ sharp/", "sharp/ has another container, --quality or --anisotropy"},
        {"a/ other/", "other/ was rendered from another demo configuration"},
        {"missing/ b/", "missing/ has no missing/part.json"},
    };
    for (const Case& c : cases) {
        const CommandRun join = capture(demo, std::string("join out/ ") + c.parts);
        EXPECT_EQ(join.status, 1) << c.parts;
        EXPECT_NE(join.err.find(c.message), std::string::npos) << c.parts << ": " << join.err;
    }
    EXPECT_FALSE(std::filesystem::exists(demo.file("out")));
    // Parts of this demo, joined against another configuration.
    const CommandRun against = capture(demo, "join --config other.txt out/ a/ b/");
    EXPECT_EQ(against.status, 1);
    EXPECT_NE(against.err.find("another configuration than other.txt"), std::string::npos)
        << against.err;
    EXPECT_EQ(capture(demo, "join out/ a/ b/").status, 0);
}

// Bad selections are usage errors.
TEST(CaptureJoin, BadSegmentsAndRangesAreUsageErrors)
{
    TempDir demo;
    writeDemo(demo);
    for (const char* arguments :
         {"--segment 0/4", "--segment 5/4", "--segment 1/0", "--segment 1-4", "--frames 5-2",
          "--frames 3", "--frames 0-40", "--segment 1/40", "--segment 1/2 --frames 0-3"}) {
        const CommandRun bad = capture(demo, std::string("--out f/ ") + grid + " " + arguments);
        EXPECT_EQ(bad.status, 2) << arguments << ": " << bad.err;
        EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << arguments << bad.err;
    }
}

// The README's recipe for GNU parallel, on this machine as an ssh login (":" is the local one):
// two parts side by side, then the join, equal to the single run.
TEST(CaptureJoin, GnuParallelRunsThePartsAndTheJoinMeetsTheSingleRun)
{
    if (runCommand(TempDir(), "command -v parallel").status != 0)
        GTEST_SKIP() << "GNU parallel is not installed (Debian package parallel)";
    TempDir demo;
    writeDemo(demo);
    const CommandRun parts =
        runCommand(demo, "cd '" + demo.path().string() +
                             "' && mkdir -p parts && env -u DISPLAY parallel --will-cite --halt "
                             "now,fail=1 --sshlogin : '" DEMO_CAPTURE "' --out parts/part-{}.mkv " +
                             grid + " --segment {}/2 ::: 1 2");
    ASSERT_EQ(parts.status, 0) << parts.err;
    ASSERT_EQ(capture(demo, "join joined.mkv parts/part-1.mkv parts/part-2.mkv").status, 0);
    ASSERT_EQ(capture(demo, std::string("--out single.mkv ") + grid).status, 0);
    const DecodedVideo single = decodeVideo(demo.file("single.mkv"));
    const DecodedVideo whole = decodeVideo(demo.file("joined.mkv"));
    ASSERT_EQ(whole.pictures.size(), static_cast<std::size_t>(gridFrames));
    for (std::size_t i = 0; i < whole.pictures.size(); ++i)
        EXPECT_TRUE(whole.pictures[i].rgb == single.pictures[i].rgb) << "frame " << i;
    EXPECT_TRUE(whole.samples == single.samples);
}
