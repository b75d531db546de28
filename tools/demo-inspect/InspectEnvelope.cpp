#include "Inspect.h"

#include "anim/Envelope.h"
#include "shell/MappedTextFile.h"

#include <cstdio>
#include <string>
#include <vector>

// demo-inspect envelope FILE --at T1,T2,...: every envelope block of FILE at every time, as
// "INDEX TIME VALUE" lines with 0-based indices.
int inspectEnvelope(const InspectArgs& args)
{
    std::vector<SampleTime> times;
    if (args.size() != 3 || args[1] != "--at" || !parseTimes(args[2], times)) {
        std::fprintf(stderr, "usage: demo-inspect envelope FILE --at T1,T2,...\n");
        return 2;
    }

    // Every block is read before anything is printed, so a parse error leaves no partial output.
    MappedTextFile file(args[0]);
    std::vector<Envelope> envelopes;
    file.skipBlanks();
    while (!file.atEnd()) {
        envelopes.push_back(parseEnvelope(file));
        file.skipBlanks();
    }

    for (std::size_t index = 0; index < envelopes.size(); ++index)
        for (const SampleTime& time : times)
            std::printf("%zu %s %.9g\n", index, time.text.c_str(),
                        static_cast<double>(evaluateEnvelope(envelopes[index], time.value)));
    return 0;
}
