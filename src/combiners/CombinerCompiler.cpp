#include "combiners/CombinerCompiler.h"

#include "combiners/CombinerChecks.h"
#include "combiners/CombinerEmission.h"
#include "combiners/CombinerMessages.h"
#include "combiners/CombinerParser.h"
#include "combiners/CombinerProgram.h"
#include "combiners/CombinerScanner.h"
#include "combiners/CombinerSink.h"

#include <cstring>
#include <string>

namespace {

constexpr char header[] = "!!RC1.0";

// One script compiles at a time; the list outlives the call so the caller can read it.
CombinerMessages& lastMessages()
{
    static CombinerMessages messages;
    return messages;
}

} // namespace

void parseCombinerScript(const char* text, CombinerSink* sink, std::ostream& echo)
{
    // Until initialisation succeeds, messages join whatever the list already holds.
    CombinerMessages& messages = lastMessages();
    if (text == nullptr) {
        messages.add("NULL string passed to parseCombinerScript");
        return;
    }
    if (std::strncmp(text, header, std::strlen(header)) != 0) {
        messages.add("invalid string.\n" + std::string(21, ' ') +
                     "first characters must be: !!RC1.0");
        return;
    }
    if (sink == nullptr) {
        messages.add("unable to initialize GL_NV_register_combiners\n");
        return;
    }
    const GLint glLimit = sink->maxGeneralCombiners();
    const bool perStageConstants = sink->hasPerStageConstants();
    messages.clear();

    CombinerScanner scanner(text, echo, messages);
    CombinerProgram program;
    if (!parseCombinerProgram(scanner, messages, program)) {
        messages.add("unrecognized token");
        return;
    }
    // The calls go out even when a check failed; the caller discards the load then.
    checkCombinerProgram(program, glLimit, perStageConstants, messages);
    replaceOneByZero(program);
    emitCombinerProgram(program, perStageConstants, *sink);
}

const std::vector<std::string>& combinerErrors()
{
    return lastMessages().all();
}
