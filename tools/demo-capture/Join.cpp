#include "Join.h"

#include "Capture.h"

#include "platform/AudioFile.h"
#include "shell/DemoConfig.h"
#include "shell/MappedTextFile.h"

#include <cstdio>

namespace {

int report(int status, const std::string& message)
{
    std::fprintf(stderr, "demo-capture join: %s\n", message.c_str());
    return status;
}

} // namespace

int runJoin(const JoinOptions& options)
{
    std::vector<JoinPart> parts;
    std::string error;
    for (const std::string& path : options.parts) {
        std::optional<PartSidecar> sidecar = readSidecar(path, error);
        if (!sidecar)
            return report(exitFailed, error);
        parts.push_back({path, *sidecar});
    }
    if (const std::optional<std::string> refusal = planJoin(parts))
        return report(exitFailed, *refusal);
    const PartSidecar& grid = parts.front().sidecar;
    const std::optional<OutputKind> kind = outputKindFor(options.out);
    if (kind != grid.kind)
        return report(exitBadUsage, options.out + " is not of the parts' kind (a folder, .mp4 "
                                                  "or .mkv as they are)");
    if (fileHash(options.config) != grid.configHash)
        return report(exitFailed,
                      "the parts were rendered from another configuration than " + options.config);

    // The audio of the whole grid, as a single run writes it.
    MappedTextFile config(options.config);
    const DemoSettings settings = readDemoHeader(config);
    const DecodedAudio music = decodeMusic(settings.musicFile);
    const AudioSpan audio = audioSpan(music, grid.from, grid.to);
    const bool joined = *kind == OutputKind::PngFolder
                            ? joinPngParts(parts, options.out, audio, error)
                            : joinVideoParts(parts, options.out, *kind, audio, error);
    if (!joined)
        return report(exitFailed, error);
    std::fprintf(stderr, "demo-capture join: %lld frames from %zu parts, %s\n",
                 static_cast<long long>(grid.gridFrames), parts.size(), options.out.c_str());
    return exitDone;
}
