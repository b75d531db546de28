// A 4K capture of 10 s of the bundled demo at 60 fps to .mp4: one demo-capture process against
// two parts run side by side and their join, in alternating rounds. Prints "ratio
// segmented_over_single" (wall time, parts and join over the single run) and "figure
// 4k_frames_per_second" (the segmented rate). Where the GL driver's limit is under 3840 x 2160,
// the largest 16:9 picture it allows is used and printed. A round takes several minutes on two
// cores; DP_SEGMENT_SECONDS=1 shortens the span for a quick look.

#include "Interleaved.h"

#include "platform/OffscreenSurface.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr float spanFrom = 8.0f;
constexpr float defaultSeconds = 10.0f;
constexpr int fps = 60;
constexpr int rounds = 1;
constexpr int wantedWidth = 3840;
constexpr int wantedHeight = 2160;

struct BenchSize {
    int width = wantedWidth;
    int height = wantedHeight;
};

// 3840 x 2160, or the largest even 16:9 picture the driver draws.
BenchSize pictureSize()
{
    OffscreenSurface surface;
    if (surface.create(16, 16) != nullptr)
        return {};
    const OffscreenSurface::Size largest = surface.largestSize();
    const double scale = std::min({1.0, static_cast<double>(largest.width) / wantedWidth,
                                   static_cast<double>(largest.height) / wantedHeight});
    const auto even = [&](int side) { return static_cast<int>(side * scale) / 2 * 2; };
    return {even(wantedWidth), even(wantedHeight)};
}

float spanSeconds()
{
    const char* text = std::getenv("DP_SEGMENT_SECONDS");
    const float seconds = text ? std::strtof(text, nullptr) : defaultSeconds;
    return seconds > 0.0f ? seconds : defaultSeconds;
}

// Runs a shell command, reporting its failure on the benchmark.
void runOrSkip(benchmark::State& state, const std::string& command)
{
    if (std::system(command.c_str()) != 0)
        state.SkipWithError(("failed: " + command).c_str());
}

void SegmentedCapture(benchmark::State& state, BenchSize size, float seconds)
{
    char span[96];
    std::snprintf(span, sizeof span, " --size %dx%d --fps %d --from %g --to %g", size.width,
                  size.height, fps, static_cast<double>(spanFrom),
                  static_cast<double>(spanFrom + seconds));
    const std::string capture = std::string("'" DP_DEMO_CAPTURE "'");
    TempDir dir;
    const std::string single = capture + " --out '" + dir.file("single.mp4") + "'" + span;
    const std::string part =
        capture + " --out '" + dir.file("part-%d.mp4") + "'" + span + " --segment %d/2";
    char parts[1024];
    std::snprintf(parts, sizeof parts, ("{ " + part + " & " + part + " & wait; }").c_str(), 1, 1, 2,
                  2);
    const std::string join = capture + " join '" + dir.file("joined.mp4") + "' '" +
                             dir.file("part-1.mp4") + "' '" + dir.file("part-2.mp4") + "'";
    InterleavedPair pair;
    pair.player = [&] { runOrSkip(state, std::string(parts) + " && " + join); };
    pair.baseline = [&] { runOrSkip(state, single); };
    const InterleavedMedians medians = runInterleaved(state, "segmented_over_single", pair);
    if (medians.player <= 0.0)
        return;
    const double frames = static_cast<double>(seconds) * fps + 1.0;
    recordFigure("4k_frames_per_second", frames / medians.player, "fps");
    recordFigure("4k_single_process_frames_per_second", frames / medians.baseline, "fps");
}

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::current_path(DP_SAMPLES_DIR);
    const BenchSize size = pictureSize();
    const float seconds = spanSeconds();
    std::printf("segment_bench: %g s at %dx%d, %d fps\n", static_cast<double>(seconds), size.width,
                size.height, fps);
    benchmark::RegisterBenchmark(
        "SegmentedCapture/4k",
        [=](benchmark::State& state) { SegmentedCapture(state, size, seconds); })
        ->UseManualTime()
        ->Iterations(rounds)
        ->Unit(benchmark::kSecond);
    return interleavedMain(argc, argv);
}
