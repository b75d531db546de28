// Start-up of the bundled demo as a whole process: from just before the player is started to the
// moment its first demo frame is presented on the offscreen surface (no display), measured by a
// preloaded glFinish that ends the process there. The shell that starts it is included.
#include "Interleaved.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The loading screen presents both buffers once; the next present is the demo's first frame.
constexpr int firstFramePresent = 3;

const std::string stampFile = std::string(DP_BENCH_DIR) + "/first-frame-stamp";

double secondsToFirstFrame()
{
    std::remove(stampFile.c_str());
    const std::string command = std::string("cd '") + DP_SAMPLES_DIR +
                                "' && env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy "
                                "LD_PRELOAD='" DP_FIRST_FRAME_SHIM "' FIRST_FRAME_STAMP='" +
                                stampFile +
                                "' FIRST_FRAME_PRESENTS=" + std::to_string(firstFramePresent) +
                                " '" DP_DEMOPLAYER_PATH "' >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    std::ifstream in(stampFile);
    long long stamp = 0;
    if (status != 0 || !(in >> stamp))
        return -1.0;
    const auto begin =
        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    return static_cast<double>(stamp - begin) * 1e-9;
}

void BM_StartupToFirstFrame(benchmark::State& state)
{
    std::vector<double> runs;
    for (auto _ : state) {
        const double seconds = secondsToFirstFrame();
        if (seconds < 0.0) {
            state.SkipWithError("the player did not present a frame");
            return;
        }
        runs.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    std::sort(runs.begin(), runs.end());
    const double median = runs[runs.size() / 2];
    state.counters["median_ms"] = median * 1e3;
    recordFigure("startup_to_first_frame_bundled_demo", median * 1e3, "ms");
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

} // namespace

int main(int argc, char** argv)
{
    return interleavedMain(argc, argv);
}
