#pragma once

#include "shell/DemoConfig.h"
#include "shell/PlayerOptions.h"
#include "timeline/FrameClock.h"

#include <memory>
#include <string>

class HotReload;
class MappedTextFile;
class Playback;
class Window;
struct DemoPlayer;

// One run of the player from the command line to the end of the demo. Members are declared so
// that teardown frees the configuration file, then the player, then the window.
class DemoSession {
public:
    DemoSession();
    ~DemoSession();

    // Start-up up to the first frame; loading errors are thrown as LoadError. With --stats (or
    // "Stats=1" in the user's settings) run() prints the frame statistics when the demo ends.
    void start(const PlayerOptions& options);
    // The main loop; returns the exit code.
    int run();

    const DemoSettings& settings() const { return demoSettings; }

private:
    // False (with one line on standard error) when --from or --to lie outside the demo.
    bool spanWithinDemo() const;

    PerformanceClock performance;
    PausableClock clock{performance}; // every scene clock of the session runs on it
    std::unique_ptr<Window> window;
    PlayerOptions options;
    DemoSettings demoSettings;
    std::unique_ptr<DemoPlayer> player;
    std::unique_ptr<Playback> playback;   // only when a flag or setting steers the clock
    std::unique_ptr<HotReload> hotReload; // only for an author
    std::unique_ptr<MappedTextFile> config;
    int exitStatus = 0;
};
