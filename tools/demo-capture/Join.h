#pragma once

#include "FrameSink.h"
#include "JoinPlan.h"

#include <string>
#include <vector>

struct JoinOptions {
    std::string config = "defaultdemoconfig.txt"; // the demo the parts were rendered from
    std::string out;
    std::vector<std::string> parts;
};

// demo-capture join: checks the parts against each other and the configuration, joins them
// into out and adds the audio of the whole span. Loading errors are thrown as LoadError; every
// other failure is reported on standard error and returned as an exit status.
int runJoin(const JoinOptions& options);

// Video parts copied packet by packet, without re-encoding, into one file of the same
// container, with the span's audio encoded once alongside.
bool joinVideoParts(const std::vector<JoinPart>& parts, const std::string& out, OutputKind kind,
                    const AudioSpan& audio, std::string& error);
// Folder parts: every frame linked (copied across file systems) into out, and audio.wav.
bool joinPngParts(const std::vector<JoinPart>& parts, const std::string& out,
                  const AudioSpan& audio, std::string& error);
