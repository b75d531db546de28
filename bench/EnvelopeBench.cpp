#include "anim/Envelope.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

// Evaluations per second of a 2-key and a 200-key envelope at random times, with the span found
// by binary search (ascending keys) and by walking from the first key.

namespace {

Envelope makeEnvelope(int keyCount, std::mt19937& random)
{
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    Envelope envelope;
    float time = 0.0f;
    for (int i = 0; i < keyCount; ++i) {
        EnvelopeKey key;
        key.value = unit(random) * 10.0f;
        key.time = time;
        // TCB, Hermite and Bezier2D spans in turn: the shapes a scene uses most.
        key.shape = i % 3 == 0   ? KeyShape::TCB
                    : i % 3 == 1 ? KeyShape::Hermite
                                 : KeyShape::Bezier2D;
        key.tension = unit(random) - 0.5f;
        for (float& param : key.params)
            param = (unit(random) - 0.5f) * 0.3f;
        envelope.keys.push_back(key);
        time += 0.05f + unit(random);
    }
    envelope.linkKeys();
    envelope.preBehavior = EnvelopeBehavior::Repeat;
    envelope.postBehavior = EnvelopeBehavior::OffsetRepeat;
    return envelope;
}

void evaluate(benchmark::State& state, bool binarySearch)
{
    std::mt19937 random(7);
    Envelope envelope = makeEnvelope(static_cast<int>(state.range(0)), random);
    envelope.timesAscend = binarySearch;
    const float end = envelope.keys.back().time;
    std::uniform_real_distribution<float> times(-0.1f * end, 1.1f * end);
    std::vector<float> samples(4096);
    for (float& t : samples)
        t = times(random);

    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(evaluateEnvelope(envelope, samples[i]));
        i = (i + 1) & (samples.size() - 1);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void BM_EvaluateBinarySearch(benchmark::State& state)
{
    evaluate(state, true);
}
void BM_EvaluateWalk(benchmark::State& state)
{
    evaluate(state, false);
}

} // namespace

BENCHMARK(BM_EvaluateBinarySearch)->Arg(2)->Arg(200);
BENCHMARK(BM_EvaluateWalk)->Arg(2)->Arg(200);

BENCHMARK_MAIN();
