#pragma once

#include "FrameSelection.h"

#include "platform/AudioFile.h"
#include "timeline/FrameRate.h"
#include "timeline/FrameStats.h"

#include <optional>
#include <string>

// x264's constant rate factor at which the picture looks like the original.
constexpr int visuallyLosslessQuality = 17;
constexpr int worstQuality = 51;

// The exit statuses of demo-capture.
constexpr int exitDone = 0;
constexpr int exitFailed = 1;        // loading error, unwritable output, full disk
constexpr int exitBadUsage = 2;      // bad arguments
constexpr int exitInterrupted = 130; // Ctrl-C: what was encoded is kept

struct CaptureOptions {
    std::string config = "defaultdemoconfig.txt";
    std::string out;
    FrameRate rate;
    int width = 0; // 0: the configuration's
    int height = 0;
    std::optional<float> from; // default: the demo's start time
    std::optional<float> to;   // default: the demo's end time
    int quality = visuallyLosslessQuality;
    // One part of the grid (--segment I/N or --frames A-B), written without audio and with a
    // sidecar for the join; as given, for messages.
    std::optional<FrameSelection> selection;
    std::string selectionText;
    std::optional<float> anisotropy; // ceiling on anisotropic filtering; default the driver's
    bool quiet = false;              // no progress and no summary (the benchmark)
    bool discardFrames = false;      // render only, without read-back or output (its baseline)
};

// How long the frames took, from the first render to the closed output.
struct CaptureStats {
    std::int64_t frames = 0;
    double seconds = 0.0;
    FrameStats renderTimes; // each frame from its render to its pixels read back (or finished)
};

// The demo's music, decoded whole for the output; a LoadError when it cannot be.
DecodedAudio decodeMusic(const std::string& musicFile);

// Loads the demo at options.config on an offscreen surface and writes every frame of the span
// to options.out. Loading errors are thrown as LoadError; every other failure is reported on
// standard error and returned as an exit status.
int runCapture(const CaptureOptions& options, CaptureStats* stats = nullptr);
