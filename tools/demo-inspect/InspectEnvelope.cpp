#include "Inspect.h"

#include "anim/Envelope.h"
#include "shell/MappedTextFile.h"
#include "shell/Scan.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct SampleTime {
    std::string text; // printed as given, so the output lines match the command line
    float value;
};

bool parseTimes(const std::string& list, std::vector<SampleTime>& times)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string word = list.substr(start, end - start);
        float value = 0.0f;
        if (word.empty() || !scanFloat(word, value))
            return false;
        times.push_back({word, value});
        start = end + 1;
    }
    return !times.empty();
}

} // namespace

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
