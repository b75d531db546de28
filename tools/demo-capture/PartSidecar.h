#pragma once

#include "FrameSink.h"
#include "timeline/FrameRate.h"

#include <cstdint>
#include <optional>
#include <string>

// What a part of a capture says about itself, in a small JSON file beside it, so that a join can
// refuse parts that do not belong together: the grid (the whole capture's frames), the frames of
// this part, the picture, the output's codec settings and the hash of the demo's configuration.
struct PartSidecar {
    float from = 0.0f; // the grid: demo seconds of its first frame and its end
    float to = 0.0f;
    FrameRate rate;
    std::int64_t gridFrames = 0;
    std::int64_t first = 0; // this part's frames, inclusive
    std::int64_t last = 0;
    int width = 0;
    int height = 0;
    OutputKind kind = OutputKind::Mkv;
    int quality = 0;        // H.264 constant rate factor; .mp4 only
    float anisotropy = 0.0f; // --anisotropy; 0 for the driver's default
    std::string configHash; // SHA-256 of the configuration file, in hex

    // Everything but the frames, which is what parts of one capture share.
    bool sameCapture(const PartSidecar& other) const;
};

// NAME.mkv.json beside a file, part.json inside a folder.
std::string sidecarPath(const std::string& output);

// Writes or reads the sidecar of the part at output; false or empty with the reason in error.
bool writeSidecar(const std::string& output, const PartSidecar& sidecar, std::string& error);
std::optional<PartSidecar> readSidecar(const std::string& output, std::string& error);

// The SHA-256 of a file's bytes in lower-case hex; empty when it cannot be read.
std::string fileHash(const std::string& path);
