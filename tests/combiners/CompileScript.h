#pragma once

#include "combiners/CombinerCompiler.h"
#include "combiners/RecordingCombinerSink.h"

#include <sstream>
#include <string>
#include <vector>

// What one compile left behind: the error list, the echoed characters and the emission.
struct CompiledScript {
    std::vector<std::string> errors;
    std::string echo;
    std::vector<RecordedCombinerCall> calls;
};

inline CompiledScript compileText(const std::string& text, GLint limit = 8, bool perStage = true)
{
    RecordingCombinerSink sink(limit, perStage);
    std::ostringstream echo;
    parseCombinerScript(text.c_str(), &sink, echo);
    return {combinerErrors(), echo.str(), sink.calls()};
}

// The body follows "!!RC1.0" and a newline, as a material's block does: it starts on line 2.
inline CompiledScript compileScript(const std::string& body, GLint limit = 8, bool perStage = true)
{
    return compileText("!!RC1.0\n" + body, limit, perStage);
}
