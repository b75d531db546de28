#pragma once

// A player's path and its baseline timed in alternating rounds inside one run, so that a machine
// that changes speed between runs (shared cores, frequency steps) slows both alike. Each
// benchmark iteration is one round: both sides once, the order swapped every round. The medians
// of the two sides give the ratio, which main prints as "ratio NAME X.XX" after all runs.

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

struct InterleavedPair {
    std::function<void()> player;
    std::function<void()> baseline;
    double bytesPerRun = 0.0; // when set, the player's MB/s is reported too
    // When set, these run instead and return the seconds they timed themselves, for sides whose
    // set-up (loading a whole demo) must stay out of the figure.
    std::function<double()> timedPlayer = nullptr;
    std::function<double()> timedBaseline = nullptr;
};

// The median seconds of each side, for figures derived from them (frames per second).
struct InterleavedMedians {
    double player = 0.0;
    double baseline = 0.0;
};

// Runs one round per iteration; register with ->UseManualTime()->Iterations(rounds).
// The ratio is player time over baseline time: below 1 the player is faster.
InterleavedMedians runInterleaved(benchmark::State& state, const std::string& ratioName,
                                  const InterleavedPair& pair);

// A figure without a baseline, printed with the ratios ("figure NAME VALUE UNIT").
void recordFigure(const std::string& name, double value, const std::string& unit);

// Initialises Google Benchmark, runs what the command line selects and prints the ratio lines.
int interleavedMain(int argc, char** argv);
