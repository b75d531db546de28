#include "CaptureCommand.h"
#include "LibAv.h"
#include "SampleDemo.h"

#include "image/TextureCache.h"
#include "platform/AudioFile.h"
#include "shell/DemoConfig.h"
#include "shell/MappedTextFile.h"
#include "shell/Viewport.h"
#include "support/CommandRun.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"
#include "timeline/DemoAssets.h"
#include "timeline/FrameComposition.h"
#include "timeline/Timeline.h"
#include "timeline/TimelineScript.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

namespace {

constexpr int width = 160;
constexpr int height = 120;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // top row first
};

Picture readPng(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << "cannot read " << path;
        return picture;
    }
    image.format = PNG_FORMAT_RGB;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) << path;
    return picture;
}

std::array<int, 3> pixelAt(const Picture& picture, int x, int y)
{
    const auto at = static_cast<std::size_t>((y * picture.width + x) * 3);
    return {picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]};
}

std::string frameFile(const TempDir& demo, const std::string& folder, int frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", frame);
    return demo.file(folder + "/" + name);
}

int countFrames(const TempDir& demo, const std::string& folder)
{
    int count = 0;
    while (std::filesystem::exists(frameFile(demo, folder, count)))
        ++count;
    return count;
}

// The tiny demo's music shortened or lengthened, with one scene turned red for switches.
void writeDemo(const TempDir& demo, float musicSeconds, float endTime)
{
    writeTinyDemo(demo.path().string(), musicSeconds, endTime);
    std::string scene = readFile(demo.file("scn/tiny.lws"));
    const std::string blue = "BackdropColor 0.1 0.1 0.3";
    scene.replace(scene.find(blue), blue.size(), "BackdropColor 1 0 0");
    demo.write("scn/red.lws", scene);
}

} // namespace

// Frame k of a capture is what the composition path draws at demo time k / fps with the scene
// clocks at the same instant, rendered here on the test's own context.
TEST(CaptureRun, FramesAreTheCompositionsRenderAtTheirExactTimes)
{
    TempDir demo;
    writeDemo(demo, 0.5f, 1.0f);
    const CommandRun run = capture(demo, "--out frames/ --fps 20 --to 0.3");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(countFrames(demo, "frames"), 7);

    ensureOffscreenGl(width, height);
    resetGlState();
    MappedTextFile config(demo.file("defaultdemoconfig.txt"));
    DemoSettings settings = readDemoHeader(config);
    settings.rootDir = demo.path().string();
    DemoAssets assets(DemoPaths::fromSettings(settings));
    Timeline timeline(assets);
    resize(width, height, assets.paths.aspect);
    drawLoadingScreen(assets.textures);
    loadTimeline(timeline, config, 1'000'000'000);
    startLayers(timeline, 0.0f, 0);
    for (int frame = 0; frame < 7; ++frame) {
        renderFrame(timeline, static_cast<float>(frame / 20.0), frame * 50'000'000LL);
        const std::vector<unsigned char> rgba = readPixelsRGBA(0, 0, width, height);
        const Picture captured = readPng(frameFile(demo, "frames", frame));
        ASSERT_EQ(captured.width, width);
        ASSERT_EQ(captured.height, height);
        int differing = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    differing +=
                        rgba[static_cast<std::size_t>(((height - 1 - y) * width + x) * 4 + c)] !=
                        captured.rgb[static_cast<std::size_t>((y * width + x) * 3 + c)];
        EXPECT_EQ(differing, 0) << "frame " << frame;
    }
}

// Two runs give the same bytes, and a capture from a later time, which steps the layers from
// the start without drawing, gives the frames of a capture from the start.
TEST(CaptureRun, CapturesAreDeterministicAndALaterStartMeetsTheFullCapture)
{
    TempDir demo;
    writeDemo(demo, 0.5f, 1.0f);
    ASSERT_EQ(capture(demo, "--out a/ --fps 20 --to 0.5").status, 0);
    ASSERT_EQ(capture(demo, "--out b/ --fps 20 --to 0.5").status, 0);
    ASSERT_EQ(capture(demo, "--out late/ --fps 20 --from 0.25 --to 0.5").status, 0);
    ASSERT_EQ(countFrames(demo, "a"), 11);
    ASSERT_EQ(countFrames(demo, "late"), 6);
    for (int frame = 0; frame < 11; ++frame)
        EXPECT_TRUE(readFile(frameFile(demo, "a", frame)) == readFile(frameFile(demo, "b", frame)))
            << "frame " << frame;
    for (int frame = 0; frame < 6; ++frame)
        EXPECT_TRUE(readFile(frameFile(demo, "late", frame)) ==
                    readFile(frameFile(demo, "a", frame + 5)))
            << "frame " << frame;
}

// A scene at 8 frames per second is redrawn only once its scene time has moved on by 0.125 s.
// At 20 fps a capture from the start draws it at 0.15, 0.3 and 0.45 s; a capture from 0.25 s must
// count the frames before it as drawn, or it would draw at 0.25 and 0.4 s instead.
TEST(CaptureRun, ALaterStartKeepsTheFrameLimiterOfASlowScene)
{
    TempDir demo;
    writeDemo(demo, 0.5f, 1.0f);
    std::string scene = readFile(demo.file("scn/tiny.lws"));
    const std::string rate = "FramesPerSecond 30";
    scene.replace(scene.find(rate), rate.size(), "FramesPerSecond 8");
    demo.write("scn/slow.lws", scene);
    demo.write("tiny.txt", "final cl slow 1 00:00:00:000\n");
    ASSERT_EQ(capture(demo, "--out a/ --fps 20 --to 0.5").status, 0);
    ASSERT_EQ(capture(demo, "--out late/ --fps 20 --from 0.25 --to 0.5").status, 0);
    EXPECT_FALSE(readFile(frameFile(demo, "a", 5)) == readFile(frameFile(demo, "a", 6)));
    EXPECT_TRUE(readFile(frameFile(demo, "a", 5)) == readFile(frameFile(demo, "a", 4)));
    for (const int frame : {6, 7, 9, 10})
        EXPECT_TRUE(readFile(frameFile(demo, "late", frame - 5)) ==
                    readFile(frameFile(demo, "a", frame)))
            << "frame " << frame;
}

// The texture layer switches at 0.15 s (frame 3 at 20 fps); the screen layer at 0.2 s (frame 4).
// Each layer clears the whole window, so a corner shows the backdrop of the last one drawn.
TEST(CaptureRun, EventSwitchesLandOnTheirExactFrame)
{
    TempDir demo;
    writeDemo(demo, 0.5f, 1.0f);
    demo.write("tiny.txt", "glow cl tiny 1 00:00:00:000\nglow cl red 1 00:00:00:150\n");
    ASSERT_EQ(capture(demo, "--out glow/ --fps 20 --to 0.25").status, 0);
    demo.write("tiny.txt", "final cl tiny 1 00:00:00:000\nfinal cl red 1 00:00:00:200\n");
    ASSERT_EQ(capture(demo, "--out final/ --fps 20 --to 0.25").status, 0);
    const std::array<int, 3> red = {255, 0, 0};
    const std::array<int, 3> blue = {26, 26, 77};
    struct Case {
        const char* folder;
        int frame;
        std::array<int, 3> corner;
    };
    const Case cases[] = {{"glow", 2, blue},  {"glow", 3, red},  {"glow", 5, red},
                          {"final", 3, blue}, {"final", 4, red}, {"final", 5, red}};
    for (const Case& c : cases) {
        const std::array<int, 3> corner =
            pixelAt(readPng(frameFile(demo, c.folder, c.frame)), width - 1, 0);
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(corner[i], c.corner[i], 2) << c.folder << " frame " << c.frame;
    }
}

// The WAV holds round((to - from) × rate) frames: the music from `from`, then silence where
// the music has ended.
TEST(CaptureRun, WavIsTheMusicOfTheSpan)
{
    TempDir demo;
    writeDemo(demo, 0.5f, 1.0f);
    ASSERT_EQ(capture(demo, "--out frames/ --fps 10 --from 0.3 --to 0.8").status, 0);
    const std::optional<DecodedAudio> music = decodeAudioFile(demo.file("music.ogg"));
    const std::optional<DecodedAudio> wav = decodeAudioFile(demo.file("frames/audio.wav"));
    ASSERT_TRUE(music && wav);
    EXPECT_EQ(wav->sampleRate, music->sampleRate);
    ASSERT_EQ(wav->channels, music->channels);
    const double rate = music->sampleRate;
    ASSERT_EQ(wav->frameCount(), std::llround((0.8 - 0.3) * rate));
    const std::int64_t first = std::llround(0.3 * rate);
    const std::int64_t musicLeft = music->frameCount() - first;
    ASSERT_GT(musicLeft, 0);
    ASSERT_LT(musicLeft, wav->frameCount());
    double worst = 0.0;
    for (std::int64_t i = 0; i < wav->frameCount() * wav->channels; ++i) {
        const std::int64_t from = first * music->channels + i;
        const float expected =
            i < musicLeft * music->channels ? music->samples[static_cast<std::size_t>(from)] : 0.0f;
        worst = std::max(worst, std::abs(static_cast<double>(
                                    wav->samples[static_cast<std::size_t>(i)] - expected)));
    }
    // 16-bit PCM: half a step of 1/32768.
    EXPECT_LT(worst, 1.0 / 32768.0 + 1e-6);
    EXPECT_EQ(countFrames(demo, "frames"), 6);
}

namespace {

struct StreamSummary {
    AVCodecID codec = AV_CODEC_ID_NONE;
    int width = 0;
    int height = 0;
    std::int64_t packets = 0;
    double seconds = 0.0; // the end of the last packet
};

struct VideoSummary {
    unsigned streams = 0;
    double duration = 0.0;
    StreamSummary video;
    StreamSummary audio;
};

// Opens a written file with libavformat and walks all of its packets.
VideoSummary summarise(const std::string& path)
{
    VideoSummary summary;
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) {
        ADD_FAILURE() << "libavformat cannot open " << path;
        return summary;
    }
    const InputPtr format(opened);
    EXPECT_GE(avformat_find_stream_info(format.get(), nullptr), 0);
    summary.streams = format->nb_streams;
    summary.duration = static_cast<double>(format->duration) / AV_TIME_BASE;
    const PacketPtr packet(av_packet_alloc());
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        const AVStream* stream = format->streams[packet->stream_index];
        StreamSummary& side =
            stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO ? summary.video : summary.audio;
        side.codec = stream->codecpar->codec_id;
        side.width = stream->codecpar->width;
        side.height = stream->codecpar->height;
        ++side.packets;
        side.seconds = std::max(side.seconds, static_cast<double>(packet->pts + packet->duration) *
                                                  av_q2d(stream->time_base));
        av_packet_unref(packet.get());
    }
    return summary;
}

} // namespace

// Two seconds at 10 fps: 21 frames at 0.0 ... 2.0 s, two seconds of audio.
TEST(CaptureRun, Mp4AndMkvOpenWithTheirStreamsFramesAndDuration)
{
    TempDir demo;
    writeDemo(demo, 2.0f, 2.0f);
    struct Case {
        const char* out;
        AVCodecID video;
        AVCodecID audio;
    };
    const Case cases[] = {{"demo.mp4", AV_CODEC_ID_H264, AV_CODEC_ID_AAC},
                          {"demo.mkv", AV_CODEC_ID_FFV1, AV_CODEC_ID_FLAC}};
    for (const Case& c : cases) {
        const CommandRun run = capture(demo, std::string("--out ") + c.out + " --fps 10");
        ASSERT_EQ(run.status, 0) << run.err;
        const VideoSummary summary = summarise(demo.file(c.out));
        EXPECT_EQ(summary.streams, 2u) << c.out;
        EXPECT_EQ(summary.video.codec, c.video) << c.out;
        EXPECT_EQ(summary.audio.codec, c.audio) << c.out;
        EXPECT_EQ(summary.video.width, width) << c.out;
        EXPECT_EQ(summary.video.height, height) << c.out;
        EXPECT_EQ(summary.video.packets, 21) << c.out;
        EXPECT_NEAR(summary.video.seconds, 2.1, 0.002) << c.out;
        EXPECT_NEAR(summary.audio.seconds, 2.0, 0.03) << c.out;
        EXPECT_NEAR(summary.duration, 2.1, 0.03) << c.out;
    }
}

TEST(CaptureRun, BadArgumentsGetOneLineAndStatusTwo)
{
    TempDir demo;
    writeDemo(demo, 0.5f, 1.0f);
    for (const char* arguments :
         {"", "--out x.avi", "--out f/ --fps 0", "--out f/ --fps abc", "--out f/ --size 10",
          "--out f/ --size 0x10", "--out f/ --quality 60", "--out f/ --from 0.5 --to 0.2",
          "--out f/ --bogus", "--out f/ --to 5", "--out odd.mp4 --size 161x120"}) {
        const CommandRun run = capture(demo, arguments);
        EXPECT_EQ(run.status, 2) << arguments << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << arguments << run.err;
        EXPECT_TRUE(run.out.empty()) << arguments;
    }
    const CommandRun help = capture(demo, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--fps"), std::string::npos);
    EXPECT_NE(help.out.find(".mkv"), std::string::npos);
}

// A path that cannot be made, a missing demo and a full disk end with a message and status 1.
TEST(CaptureRun, UnwritableOutputsAndLoadingErrorsEndWithStatusOne)
{
    TempDir demo;
    writeDemo(demo, 0.5f, 1.0f);
    demo.write("plain.txt", "a file, not a folder");
    std::filesystem::create_directories(demo.file("full"));
    std::filesystem::create_symlink("/dev/full", demo.file("full/frame-000000.png"));
    std::filesystem::create_symlink("/dev/full", demo.file("full.mkv"));
    struct Case {
        const char* arguments;
        const char* message;
    };
    const Case cases[] = {
        {"--out plain.txt/frames/", "cannot create"},
        {"--out missing/dir/x.mp4", "cannot write"},
        {"--out full/ --to 0.1", "No space left on device"},
        {"--out full.mkv --to 0.1", "No space left on device"},
        {"missing.txt --out f/", "Loading Error: Cannot load file missing.txt from directory"},
    };
    for (const Case& c : cases) {
        const CommandRun run = capture(demo, c.arguments);
        EXPECT_EQ(run.status, 1) << c.arguments << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
    }
}

// Ctrl-C during a long capture (signalled a second after the file appears) closes the file:
// what was encoded opens and plays.
TEST(CaptureRun, AnInterruptedCaptureLeavesAPlayableFile)
{
    TempDir demo;
    writeDemo(demo, 0.5f, 3000.0f);
    const CommandRun run = runCommand(
        demo,
        "cd '" + demo.path().string() +
            "' && { '" DEMO_CAPTURE "' --out long.mkv --size "
            "32x24 & pid=$!; while kill -0 $pid && [ ! -s long.mkv ]; do sleep 0.1; done; sleep 1; "
            "kill -INT $pid; wait $pid; }");
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_NE(run.err.find("interrupted"), std::string::npos) << run.err;
    const VideoSummary summary = summarise(demo.file("long.mkv"));
    EXPECT_EQ(summary.streams, 2u);
    EXPECT_GT(summary.video.packets, 0);
    // The audio stops with the frames, not at the end of the span.
    EXPECT_NEAR(summary.audio.seconds, summary.video.seconds, 0.1);
}

// A 4K picture renders headless; one over the driver's limit is refused by name, not crashed on.
TEST(CaptureRun, FourKRendersHeadlessAndOverTheDriversLimitIsRefused)
{
    TempDir demo;
    writeDemo(demo, 0.5f, 1.0f);
    const CommandRun big = capture(demo, "--out big/ --size 3840x2160 --to 0");
    ASSERT_EQ(big.status, 0) << big.err;
    const Picture picture = readPng(frameFile(demo, "big", 0));
    EXPECT_EQ(picture.width, 3840);
    EXPECT_EQ(picture.height, 2160);
    // The tiny demo's blue backdrop fills the corner at every size.
    const std::array<int, 3> corner = pixelAt(picture, 0, 0);
    EXPECT_NEAR(corner[2], 77, 2);
    const CommandRun over = capture(demo, "--out over/ --size 60000x100 --to 0");
    EXPECT_EQ(over.status, 1);
    EXPECT_NE(over.err.find("the GL driver here draws at most"), std::string::npos) << over.err;
}
