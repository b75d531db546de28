// demo-capture's speed on the bundled demo, in frames per second from the first frame to the
// closed output, at 640 x 480 and 1280 x 720: to PNG frames, to .mp4 and to .mkv, next to
// rendering the same frames without reading them back or writing anything. The ratios printed
// at the end are each output's rate over the bare render rate at the same size.

#include "Capture.h"

#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

// Two seconds from the middle of the demo, where every layer is busy.
constexpr float spanFrom = 8.0f;
constexpr float spanTo = 10.0f;
constexpr int rounds = 2;

std::map<std::string, std::vector<double>>& ratesByName()
{
    static std::map<std::string, std::vector<double>> rates;
    return rates;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

void CaptureSpeed(benchmark::State& state, const std::string& output, int width, int height)
{
    const std::string name = output + "_" + std::to_string(width) + "x" + std::to_string(height);
    for (auto _ : state) {
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
            return;
        }
        state.SetIterationTime(stats.seconds);
        ratesByName()[name].push_back(static_cast<double>(stats.frames) / stats.seconds);
    }
    state.counters["fps"] = median(ratesByName()[name]);
}

void registerAll()
{
    const std::pair<int, int> sizes[] = {{640, 480}, {1280, 720}};
    for (const auto& [width, height] : sizes)
        for (const char* output : {"render", "png", "mp4", "mkv"})
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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const char* size : {"640x480", "1280x720"}) {
        const auto bare = ratesByName().find(std::string("render_") + size);
        if (bare == ratesByName().end())
            continue;
        for (const char* output : {"png", "mp4", "mkv"}) {
            const auto rates = ratesByName().find(std::string(output) + "_" + size);
            if (rates != ratesByName().end())
                std::printf("ratio capture_%s_vs_render_%s %.2f\n", output, size,
                            median(rates->second) / median(bare->second));
        }
    }
    return 0;
}
