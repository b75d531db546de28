#pragma once

#include "shell/DemoConfig.h"
#include "timeline/FrameClock.h"

#include <memory>
#include <string>

class MappedTextFile;
class Window;
struct DemoPlayer;

// One run of the player from the command line to the end of the demo. Members are declared so
// that teardown frees the configuration file, then the player, then the window.
class DemoSession {
public:
    DemoSession();
    ~DemoSession();

    // Start-up up to the first frame; loading errors are thrown as LoadError. With showStats (or
    // "Stats=1" in the user's settings) run() prints the frame statistics when the demo ends.
    void start(const std::string& commandLine, bool showStats = false);
    // The main loop; returns the exit code.
    int run();

    const DemoSettings& settings() const { return demoSettings; }

private:
    PerformanceClock clock; // every scene clock of the session runs on it
    std::unique_ptr<Window> window;
    DemoSettings demoSettings;
    std::unique_ptr<DemoPlayer> player;
    std::unique_ptr<MappedTextFile> config;
    bool statsWanted = false;
};
