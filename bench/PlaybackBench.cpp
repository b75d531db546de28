// Start-up of the bundled demo split into its parts, next to a plain read of the same bytes,
// and its frame rate headless at 640 x 480.

#include "image/TextureCache.h"
#include "mesh/MeshRegistry.h"
#include "platform/AudioFile.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"
#include "shell/MappedTextFile.h"
#include "support/OffscreenGl.h"
#include "timeline/DemoAssets.h"
#include "timeline/FrameComposition.h"
#include "timeline/Timeline.h"
#include "timeline/TimelineScript.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string samples = DP_SAMPLES_DIR;

DemoPaths samplePaths()
{
    DemoPaths paths;
    paths.rootDir = samples;
    paths.texturesDir = "tex";
    paths.scenesDir = "scn";
    paths.aspect = 4.0f / 3.0f;
    return paths;
}

std::vector<std::string> filesUnder(const std::string& folder, const std::string& extension)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(samples + "/" + folder))
        if (entry.path().extension() == extension)
            names.push_back(entry.path().stem().string());
    return names;
}

// Loads the configuration tail as the player does, into registries that live in the caller.
struct Registries {
    DemoAssets assets{samplePaths()};
    Timeline timeline{assets};

    void loadTimelineOf(const std::string& config)
    {
        MappedTextFile file(config);
        readDemoHeader(file);
        loadTimeline(timeline, file, 1000);
    }
};

// The bytes each loader below reads, read plainly into memory: the floor for its time.
void PlainRead(benchmark::State& state, const std::string& part)
{
    const std::filesystem::path root = std::filesystem::path(samples) / part;
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(root)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    } else {
        files.push_back(root);
    }
    std::int64_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const auto& path : files) {
            std::ifstream in(path, std::ios::binary);
            const std::string data((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
            bytes += static_cast<std::int64_t>(data.size());
            benchmark::DoNotOptimize(data.data());
        }
    }
    state.SetBytesProcessed(bytes * state.iterations());
}
BENCHMARK_CAPTURE(PlainRead, textures, std::string("tex"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PlainRead, meshes, std::string("objects"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PlainRead, scenes, std::string("scn"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PlainRead, music, std::string("music.ogg"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PlainRead, everything, std::string(""))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void LoadTextures(benchmark::State& state)
{
    ensureOffscreenGl(640, 480);
    const DemoPaths paths = samplePaths();
    const std::vector<std::string> names = filesUnder("tex", ".tga");
    for (auto _ : state) {
        TextureCache textures(paths);
        for (const std::string& name : names)
            benchmark::DoNotOptimize(textures.getByName(name).glName.get());
        glFinish();
    }
}
BENCHMARK(LoadTextures)->Unit(benchmark::kMillisecond)->UseRealTime();

void LoadMeshes(benchmark::State& state)
{
    ensureOffscreenGl(640, 480);
    const DemoPaths paths = samplePaths();
    TextureCache textures(paths); // warm after the first pass: meshes alone are timed
    const std::vector<std::string> names = filesUnder("objects", ".po2");
    for (auto _ : state) {
        MeshRegistry meshes(textures, paths);
        for (const std::string& name : names)
            benchmark::DoNotOptimize(meshes.get("objects/" + name + ".lwo").vertexCount);
        glFinish();
    }
}
BENCHMARK(LoadMeshes)->Unit(benchmark::kMillisecond)->UseRealTime();

void LoadScenes(benchmark::State& state)
{
    ensureOffscreenGl(640, 480);
    DemoAssets assets(samplePaths());
    const std::vector<std::string> names = filesUnder("scn", ".lws");
    for (auto _ : state) {
        // Meshes, textures and programs stay loaded: the scene files themselves are timed.
        for (const std::string& name : names)
            benchmark::DoNotOptimize(loadSceneWithMaterials(name, assets).get());
    }
}
BENCHMARK(LoadScenes)->Unit(benchmark::kMillisecond)->UseRealTime();

void DecodeMusic(benchmark::State& state)
{
    for (auto _ : state) {
        std::optional<DecodedAudio> music = decodeAudioFile(samples + "/music.ogg");
        benchmark::DoNotOptimize(music->samples.data());
    }
}
BENCHMARK(DecodeMusic)->Unit(benchmark::kMillisecond)->UseRealTime();

void WholeTimelineLoad(benchmark::State& state)
{
    ensureOffscreenGl(640, 480);
    for (auto _ : state) {
        Registries demo;
        demo.loadTimelineOf(samples + "/defaultdemoconfig.txt");
        glFinish();
    }
}
BENCHMARK(WholeTimelineLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

// Frames at 60 per second of demo time through the whole demo, over and over; the counter runs
// at 1000 ticks a second in step with it.
void FrameRate640x480(benchmark::State& state)
{
    ensureOffscreenGl(640, 480);
    Registries demo;
    demo.loadTimelineOf(samples + "/defaultdemoconfig.txt");
    const float length = demo.timeline.endTime - demo.timeline.startTime;
    int frame = 0;
    startLayers(demo.timeline, demo.timeline.startTime, 0);
    for (auto _ : state) {
        const float t = static_cast<float>(frame) / 60.0f;
        if (t > length) {
            frame = 0;
            startLayers(demo.timeline, demo.timeline.startTime, 0);
            continue;
        }
        renderFrame(demo.timeline, demo.timeline.startTime + t, frame * 1000 / 60);
        glFinish();
        ++frame;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FrameRate640x480)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
