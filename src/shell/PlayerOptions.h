#pragma once

#include <optional>
#include <string>

// What the command line asks of one run of the player. Unset fields leave the configuration's
// and the settings file's values alone, so a run without flags plays exactly as before.
struct PlayerOptions {
    std::string configFile; // empty: "defaultdemoconfig.txt"
    std::optional<bool> fullscreen;
    std::optional<int> width;
    std::optional<int> height;
    std::optional<bool> vsync;        // unset: the settings file's, else the driver's
    std::optional<float> from;        // demo seconds; unset: the demo's start time
    std::optional<float> to;          // demo seconds; unset: the demo's end time
    bool loop = false;                // play from..to again and again
    std::optional<int> audioOffsetMs; // picture later than the music by this much
    bool author = false;              // author keys, overlay and hot reload
    bool stats = false;               // frame statistics at exit
};

// The outcome of reading the command line: options to run with, or a status to exit with at
// once after printing text (help and version on standard output with 0, one line on standard
// error with 2 for a bad flag or value).
struct CommandLineResult {
    std::optional<PlayerOptions> options;
    int exitStatus = 0;
    std::string text;
    bool isError = false;
};

constexpr int exitBadUsage = 2;

CommandLineResult parsePlayerCommandLine(int argc, const char* const* argv);
