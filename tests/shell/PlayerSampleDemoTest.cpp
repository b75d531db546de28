#include "SampleDemo.h"

#include "image/TextureCache.h"
#include "platform/AudioFile.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"
#include "shell/MappedTextFile.h"
#include "support/CommandRun.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"
#include "timeline/DemoAssets.h"
#include "timeline/FrameComposition.h"
#include "timeline/Timeline.h"
#include "timeline/TimelineScript.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string samples = DP_SAMPLES_DIR;

} // namespace

// The bundled demo is the generator's output: regenerating it gives the same files (the Ogg
// stream's serial number is random, so the music is compared decoded).
TEST(PlayerSampleDemo, CommittedFilesAreTheGeneratorsOutput)
{
    TempDir dir;
    writeSampleDemo(dir.path().string());
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
        if (!entry.is_regular_file())
            continue;
        const std::filesystem::path relative = std::filesystem::relative(entry.path(), dir.path());
        const std::filesystem::path committed = std::filesystem::path(samples) / relative;
        ASSERT_TRUE(std::filesystem::exists(committed)) << relative << " is not committed";
        if (relative == "music.ogg") {
            const auto fresh = decodeAudioFile(entry.path().string());
            const auto kept = decodeAudioFile(committed.string());
            ASSERT_TRUE(fresh && kept);
            EXPECT_EQ(fresh->frameCount(), kept->frameCount());
            EXPECT_EQ(fresh->sampleRate, kept->sampleRate);
        } else {
            EXPECT_TRUE(readFile(entry.path()) == readFile(committed)) << relative << " differs";
        }
        ++compared;
    }
    EXPECT_GT(compared, 20);
}

// The whole bundled timeline loads, and each part renders a picture without a GL error.
TEST(PlayerSampleDemo, LoadsAndRendersAFrameOfEachPart)
{
    ensureOffscreenGl(640, 480);
    resetGlState();
    MappedTextFile config(samples + "/defaultdemoconfig.txt");
    DemoSettings settings = readDemoHeader(config);
    EXPECT_FALSE(settings.fullscreen);
    const std::optional<DecodedAudio> music = decodeAudioFile(samples + "/" + settings.musicFile);
    ASSERT_TRUE(music);
    const float musicSeconds =
        static_cast<float>(music->frameCount()) / static_cast<float>(music->sampleRate);
    settings.rootDir = samples;
    DemoAssets assets(DemoPaths::fromSettings(settings));
    Timeline timeline(assets);
    loadTimeline(timeline, config, 1000);
    EXPECT_GE(timeline.endTime - timeline.startTime, 20.0f);
    EXPECT_LE(timeline.endTime - timeline.startTime, 40.0f);
    EXPECT_NEAR(musicSeconds, timeline.endTime, 0.5f);
    EXPECT_EQ(assets.scenes.count(), 4u);
    ASSERT_EQ(timeline.layers.size(), 3u);
    EXPECT_NE(timeline.layers[0].target, nullptr);

    // The city's material file gives passes to both screen images and to objects, with programs.
    const Scene& city = assets.scenes.getOrLoad("city");
    EXPECT_EQ(city.bgPasses.size(), 2u);
    EXPECT_EQ(city.fgPasses.size(), 1u);
    std::size_t objectPasses = 0;
    for (const auto& object : city.objects)
        objectPasses += object->passes.size();
    EXPECT_GE(objectPasses, 6u);
    EXPECT_TRUE(city.objects[3]->passes.at(0).combiners.has_value());
    EXPECT_EQ(assets.programs.programs.size(), 2u);

    startLayers(timeline, timeline.startTime, 0);
    for (float t : {0.5f, 3.0f, 10.0f, 18.0f, 25.0f}) {
        // Two frames a time: the first switches to any event now due; the second comes three
        // seconds of scene time later, when the fade in from black is over.
        const auto counter = static_cast<std::int64_t>(t * 1000.0f);
        renderFrame(timeline, t, counter);
        renderFrame(timeline, t, counter + 3000);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "at " << t;
        const std::vector<unsigned char> middle = readPixelsRGBA(320, 240, 1, 1);
        EXPECT_GT(middle[0] + middle[1] + middle[2], 0) << "black frame at " << t;
    }
}
