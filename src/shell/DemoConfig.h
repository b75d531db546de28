#pragma once

#include <cstdint>
#include <optional>
#include <string>

class MappedTextFile;
class UserSettings;
struct PlayerOptions;

// Display settings and file names from the configuration header, before any window exists.
struct DemoSettings {
    bool fullscreen = true;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t colourBits = 0;
    std::int32_t zBits = 0;
    float aspectNumerator = 0.0f;
    float aspectDenominator = 0.0f;
    std::string windowModeWord;
    std::string musicFile;
    std::string rootDir;
    std::string texturesDir;
    std::string scenesDir;
    std::optional<bool> vsync; // from the settings file or the command line; unset: the driver's
    // Per-user only, never in the configuration file:
    std::optional<float> anisotropy; // "Anisotropy": ceiling on anisotropic filtering
    bool stats = false;              // "Stats": frame statistics printed at exit
};

struct DemoPaths {
    std::string rootDir;
    std::string texturesDir; // joined as rootDir/texturesDir/name
    std::string scenesDir;   // joined as rootDir/scenesDir/name
    float aspect = 1.0f;     // picture width over height

    static DemoPaths fromSettings(const DemoSettings& settings);
};

// The configuration file named by the whole command-line string, or "defaultdemoconfig.txt".
std::string configFileName(const std::string& commandLine);

// Reads the header's eleven tokens, leaving the cursor at the layer list. Numbers that do not
// convert keep their defaults; a header that ends before its aspect pair, or an aspect
// denominator of 0, is a loading error.
DemoSettings readDemoHeader(MappedTextFile& file);

// Only "win" and "window" select a window; every other word, "Win" included, means fullscreen.
bool isFullscreenWord(const std::string& word);

// Per-user overrides, applied in the order Fullscreen, Depth, Z, Height, Width, then VSync,
// Anisotropy and Stats.
void applyUserSettings(DemoSettings& settings, const UserSettings& overrides);

// The command line's --windowed, --fullscreen, --size, --vsync and --stats, over everything else.
void applyCommandLine(DemoSettings& settings, const PlayerOptions& options);
