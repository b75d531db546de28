// demo-capture's speed on the bundled demo at 640 x 480 and 1280 x 720 to .mp4 (to PNG frames
// and to .mkv as well with --benchmark_filter=all), each in alternating rounds with rendering the
// same frames without reading them back or writing anything. Each capture times itself from the
// first frame to the closed output, so loading the demo stays out; the ratios are capture time over
// bare render time, and both rates are reported in frames per second.

#include "Capture.h"
#include "Interleaved.h"

#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

// One second from the middle of the demo, where every layer is busy.
constexpr float spanFrom = 8.0f;
constexpr float spanTo = 9.0f;
constexpr int rounds = 3;
constexpr const char* defaultFilter = "/mp4/";

// One capture of the span to `output` ("render" renders only); its own seconds, or 0 after
// reporting the failure on the benchmark.
double captureSeconds(benchmark::State& state, const std::string& output, int width, int height,
                      std::int64_t& frames)
{
    TempDir dir;
    CaptureOptions options;
    options.width = width;
    options.height = height;
    options.from = spanFrom;
    options.to = spanTo;
    options.quiet = true;
    options.discardFrames = output == "render";
    options.out = output == "png" ? dir.file("frames/") : dir.file("capture." + output);
    CaptureStats stats;
    if (runCapture(options, &stats) != exitDone || stats.frames == 0) {
        state.SkipWithError("the capture failed");
        return 0.0;
    }
    frames = stats.frames;
    return stats.seconds;
}

void CaptureSpeed(benchmark::State& state, const std::string& output, int width, int height)
{
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::int64_t frames = 0;
    InterleavedPair pair;
    pair.timedPlayer = [&] { return captureSeconds(state, output, width, height, frames); };
    pair.timedBaseline = [&] { return captureSeconds(state, "render", width, height, frames); };
    const InterleavedMedians medians =
        runInterleaved(state, "capture_" + output + "_vs_render_" + size, pair);
    if (medians.player <= 0.0 || medians.baseline <= 0.0)
        return;
    const double count = static_cast<double>(frames);
    state.counters["player_fps"] = count / medians.player;
    state.counters["render_fps"] = count / medians.baseline;
    recordFigure("capture_" + output + "_" + size, count / medians.player, "fps");
    recordFigure("capture_render_" + size + "_next_to_" + output, count / medians.baseline, "fps");
}

void registerAll()
{
    const std::pair<int, int> sizes[] = {{640, 480}, {1280, 720}};
    for (const auto& [width, height] : sizes)
        for (const char* output : {"mp4", "png", "mkv"})
            benchmark::RegisterBenchmark(("Capture/" + std::string(output) + "/" +
                                          std::to_string(width) + "x" + std::to_string(height))
                                             .c_str(),
                                         [output, w = width, h = height](benchmark::State& state) {
                                             CaptureSpeed(state, output, w, h);
                                         })
                ->UseManualTime()
                ->Iterations(rounds)
                ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv)
{
    // The capture runs from the demo's folder, as the player does.
    std::filesystem::current_path(DP_SAMPLES_DIR);
    registerAll();
    // .mp4 alone by default, which keeps `make bench` short; a filter given on the command line
    // replaces this one.
    benchmark::SetBenchmarkFilter(defaultFilter);
    return interleavedMain(argc, argv);
}
