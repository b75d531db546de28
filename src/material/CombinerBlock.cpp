#include "material/CombinerBlock.h"

#include "combiners/CombinerBackend.h"
#include "combiners/CombinerCompiler.h"
#include "combiners/EmulatedCombiners.h"
#include "combiners/NativeCombinerSink.h"
#include "shell/LoadError.h"

#include <iostream>

CombinerList compileCombiners(const std::string& blockText)
{
    const std::string script = "!!RC1.0\n" + blockText;
    const CombinerBackend backend = availableCombinerBackend();
    // Owned before the list opens, so that a failed compile deletes the list and its programs.
    CombinerList combiners(newDisplayList(), backend == CombinerBackend::emulated
                                                 ? std::make_unique<EmulatedCombiners>()
                                                 : nullptr);
    NativeCombinerSink native;
    CombinerSink* sink = nullptr; // no backend: the compiler reports that it cannot initialise
    if (backend == CombinerBackend::native)
        sink = &native;
    else if (combiners.emulated)
        sink = &combiners.emulated->sink();

    glNewList(combiners.list.get(), GL_COMPILE);
    parseCombinerScript(script.c_str(), sink, std::cout);
    const bool failed = !combinerErrors().empty();
    if (!failed && combiners.emulated)
        combiners.emulated->recordBind();
    // Closed before any throw: a list left open would swallow the next GL calls.
    glEndList();
    if (failed)
        throw LoadError(combinerErrors().front());
    // The emulation's program text is loaded outside the list, where it takes effect.
    if (combiners.emulated)
        combiners.emulated->finishCompile();
    return combiners;
}
