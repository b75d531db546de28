#include "Interleaved.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

struct Line {
    std::string text;
};

std::vector<Line>& summary()
{
    static std::vector<Line> lines;
    return lines;
}

double secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double secondsOfSide(const std::function<void()>& work, const std::function<double()>& timed)
{
    return timed ? timed() : secondsOf(work);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

} // namespace

InterleavedMedians runInterleaved(benchmark::State& state, const std::string& ratioName,
                                  const InterleavedPair& pair)
{
    const auto playerSide = [&pair] { return secondsOfSide(pair.player, pair.timedPlayer); };
    const auto baselineSide = [&pair] { return secondsOfSide(pair.baseline, pair.timedBaseline); };
    // One untimed round warms caches, the driver's shader variants and any lazy set-up.
    playerSide();
    baselineSide();
    std::vector<double> player;
    std::vector<double> baseline;
    for (auto _ : state) {
        double a = 0.0;
        double b = 0.0;
        if (player.size() % 2 == 0) {
            a = playerSide();
            b = baselineSide();
        } else {
            b = baselineSide();
            a = playerSide();
        }
        player.push_back(a);
        baseline.push_back(b);
        state.SetIterationTime(a + b);
    }
    // A side that failed has said so with SkipWithError; its rounds give no ratio.
    if (player.empty() || state.error_occurred())
        return {};
    const double playerMedian = median(player);
    const double baselineMedian = median(baseline);
    const double ratio = playerMedian / baselineMedian;
    state.counters["player_ms"] = playerMedian * 1e3;
    state.counters["baseline_ms"] = baselineMedian * 1e3;
    state.counters["ratio"] = ratio;
    char text[256];
    std::snprintf(text, sizeof text, "ratio %s %.2f", ratioName.c_str(), ratio);
    summary().push_back({text});
    if (pair.bytesPerRun > 0.0) {
        const double rate = pair.bytesPerRun / playerMedian / 1e6;
        state.counters["player_MBps"] = rate;
        recordFigure(ratioName + "_player_rate", rate, "MB/s");
    }
    return {playerMedian, baselineMedian};
}

void recordFigure(const std::string& name, double value, const std::string& unit)
{
    char text[256];
    std::snprintf(text, sizeof text, "figure %s %.2f %s", name.c_str(), value, unit.c_str());
    summary().push_back({text});
}

int interleavedMain(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    // Player time over baseline time, medians of interleaved rounds: 1.00 is the bare calls.
    for (const Line& line : summary())
        std::printf("%s\n", line.text.c_str());
    benchmark::Shutdown();
    return 0;
}
