// Register-combiner scripts through the compiler into a recording sink. The first byte picks the
// driver the sink plays: 1 to 8 general combiners, with or without per-stage constants.
#include "FuzzSupport.h"

#include "combiners/CombinerCompiler.h"
#include "combiners/RecordingCombinerSink.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    RecordingCombinerSink sink(1 + data[0] % 8, (data[0] & 8) != 0);
    // The compiler takes a NUL-terminated text, as a material file's block hands it over.
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::ostringstream echo;
    parseCombinerScript(text.c_str(), &sink, echo);
    return 0;
}
