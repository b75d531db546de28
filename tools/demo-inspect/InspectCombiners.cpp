#include "Inspect.h"
#include "Json.h"

#include "combiners/CombinerCompiler.h"
#include "combiners/RecordingCombinerSink.h"
#include "shell/MapFile.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

namespace {

struct CombinersOptions {
    std::string file;
    GLint limit = RecordingCombinerSink::defaultLimit;
    bool perStageConstants = true;
};

bool parsePositive(const std::string& text, GLint& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    return failure == std::errc() && stop == end && value >= 1;
}

bool parseOptions(const InspectArgs& args, CombinersOptions& options)
{
    if (args.empty())
        return false;
    options.file = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--no-combiners2")
            options.perStageConstants = false;
        else if (args[i] == "--limit" && i + 1 < args.size() &&
                 parsePositive(args[i + 1], options.limit))
            ++i;
        else
            return false;
    }
    return true;
}

// Enumerants and counts print as integers; only constant colours can carry a fraction, and
// those started as floats.
Json jsonArgument(double value)
{
    constexpr double exactIntegers = 9007199254740992.0; // 2^53
    if (std::floor(value) == value && std::fabs(value) < exactIntegers)
        return static_cast<std::int64_t>(value);
    return jsonNumber(static_cast<float>(value));
}

// Errors and echo on the first line, then one emitted call per line.
std::string dumpCombiners(const Json& result)
{
    std::string out = "{";
    const char* separator = "";
    for (const auto& field : result.items()) {
        out += separator + Json(field.key()).dump() + ": ";
        separator = ", ";
        if (field.key() != "calls") {
            out += dumpLine(field.value());
            continue;
        }
        const char* callSeparator = "\n";
        out += "[";
        for (const Json& call : field.value()) {
            out += callSeparator + dumpLine(call);
            callSeparator = ",\n";
        }
        out += "]";
    }
    return out + "}\n";
}

} // namespace

// demo-inspect combiners FILE [--limit N] [--no-combiners2]: compiles the file's text as it
// stands on the recording sink and prints the error list, the echoed characters and every
// emitted call, whatever the script's errors.
int inspectCombiners(const InspectArgs& args)
{
    CombinersOptions options;
    if (!parseOptions(args, options)) {
        std::fprintf(stderr, "usage: demo-inspect combiners FILE [--limit N] [--no-combiners2]\n");
        return 2;
    }
    const FileMapping mapping = mapFile(options.file);
    // The compiler reads up to the first NUL, as it would from a material block.
    const std::string text = mapping.size() > 0 ? std::string(mapping.data(), mapping.size()) : "";

    RecordingCombinerSink sink(options.limit, options.perStageConstants);
    std::ostringstream echo;
    parseCombinerScript(text.c_str(), &sink, echo);

    Json errors = Json::array();
    for (const std::string& message : combinerErrors())
        errors.push_back(jsonText(message));
    Json calls = Json::array();
    for (const RecordedCombinerCall& call : sink.calls()) {
        Json entry = Json::array({jsonText(call.name)});
        for (double arg : call.args)
            entry.push_back(jsonArgument(arg));
        calls.push_back(std::move(entry));
    }
    Json out = Json::object();
    out["errors"] = std::move(errors);
    out["echo"] = jsonText(echo.str());
    out["calls"] = std::move(calls);
    std::fputs(dumpCombiners(out).c_str(), stdout);
    return 0;
}
