// The worst frames of the bundled demo, where averages hide them: a sweep renders every frame at
// 200 per demo second at 640 x 480 without encoding; real-time playback runs the player itself,
// headless on its own clock, and reads its --stats block. Each prints the worst frame, the 99th
// percentile and the demo time of the worst frame as "figure" lines.

#include "Interleaved.h"

#include "support/CommandRun.h"
#include "support/FrameSweep.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void recordFrameFigures(const std::string& prefix, double worst, double p99, double worstTime)
{
    recordFigure(prefix + "worst_frame_ms", worst, "ms");
    recordFigure(prefix + "p99_frame_ms", p99, "ms");
    recordFigure(prefix + "worst_frame_demo_time", worstTime, "s");
}

void BM_FrameSweep(benchmark::State& state)
{
    CaptureStats stats;
    for (auto _ : state) {
        if (runCapture(frameSweepOptions(), &stats) != exitDone ||
            stats.renderTimes.frames() == 0) {
            state.SkipWithError("the sweep failed");
            return;
        }
        state.SetIterationTime(stats.seconds);
    }
    const FrameStats& times = stats.renderTimes;
    state.counters["frames"] = static_cast<double>(times.frames());
    recordFrameFigures("", times.worst(), times.percentile(99.0),
                       static_cast<double>(times.worstDemoTime()));
}
BENCHMARK(BM_FrameSweep)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The number after `label` on the line that starts with it, or -1.
double numberAfter(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return -1.0;
    return std::atof(text.c_str() + at + label.size());
}

void BM_RealTimePlayback(benchmark::State& state)
{
    const std::string statsFile =
        (std::filesystem::temp_directory_path() / "demoplayer-pacing-stats.txt").string();
    std::string text;
    for (auto _ : state) {
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy '" DP_DEMOPLAYER_PATH
            "' --stats >'" +
            statsFile + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the player failed");
            return;
        }
        text = readFile(statsFile);
        state.SetIterationTime(1.0);
    }
    std::remove(statsFile.c_str());
    const double worst = numberAfter(text, "worst ");
    if (worst < 0.0) {
        state.SkipWithError("no frame statistics from the player");
        return;
    }
    state.counters["frames"] = numberAfter(text, "frames drawn: ");
    recordFrameFigures("realtime_", worst, numberAfter(text, "99th percentile "),
                       numberAfter(text, "worst frame at demo time "));
}
BENCHMARK(BM_RealTimePlayback)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    // Both run from the demo's folder, as the player does.
    std::filesystem::current_path(DP_SAMPLES_DIR);
    return interleavedMain(argc, argv);
}
