#include "combiners/CombinerCompiler.h"
#include "combiners/RecordingCombinerSink.h"

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

// Compiles per second of a script using all eight general combiners, each with a local
// constant and both portions in their longest form, scanned, parsed, checked and emitted onto
// the recording sink. A material file compiles each of its blocks once at load time.

namespace {

std::string eightStageScript()
{
    std::string text = "!!RC1.0\n// eight stages\nconst0 = (0.5, 0.25, 0.125, 1.0);\n"
                       "const1 = (.75, .5, 1., 0);\n";
    for (int stage = 0; stage < 8; ++stage) {
        const std::string tex = "tex" + std::to_string(stage % 4);
        text += "{ /* stage " + std::to_string(stage) +
                " */\n"
                "  const1 = (0.1, 0.2, 0.3, 0.4);\n"
                "  rgb {\n"
                "    spare0 = expand(" +
                tex +
                ") * -half_bias(col0);\n"
                "    spare1 = unsigned_invert(const0) * " +
                tex +
                ".a;\n"
                "    col1 = mux();\n"
                "    bias_by_negative_one_half_scale_by_two();\n"
                "  }\n"
                "  alpha {\n"
                "    spare0 = " +
                tex +
                ".b * spare1;\n"
                "    spare1 = -col0 * const1;\n"
                "    discard = sum();\n"
                "    scale_by_two();\n"
                "  }\n"
                "}\n";
    }
    text += "clamp_color_sum();\nfinal_product = spare0 * col1;\n"
            "out.rgb = lerp(spare0, tex0, unsigned_invert(final_product)) + color_sum;\n"
            "out.a = spare1;\n";
    return text;
}

void BM_CompileEightStages(benchmark::State& state)
{
    const std::string script = eightStageScript();
    RecordingCombinerSink sink;
    std::ostringstream echo;
    for (auto _ : state) {
        sink.clear();
        parseCombinerScript(script.c_str(), &sink, echo);
        benchmark::DoNotOptimize(sink.calls().data());
    }
    if (!combinerErrors().empty())
        state.SkipWithError(combinerErrors().front().c_str());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * script.size()));
}

} // namespace

BENCHMARK(BM_CompileEightStages);
BENCHMARK_MAIN();
