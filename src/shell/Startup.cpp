#include "shell/Startup.h"

#include "platform/UserSettings.h"
#include "platform/Window.h"
#include "shell/DemoPlayer.h"
#include "shell/GlStartup.h"
#include "shell/MainLoop.h"
#include "shell/MappedTextFile.h"
#include "timeline/FrameClock.h"
#include "timeline/FrameStats.h"
#include "timeline/TimelineScript.h"

#include <GL/gl.h>

#include <cstdio>

DemoSession::DemoSession() = default;
DemoSession::~DemoSession() = default;

void DemoSession::start(const std::string& commandLine, bool showStats)
{
    config = std::make_unique<MappedTextFile>(configFileName(commandLine));
    demoSettings = readDemoHeader(*config);
    applyUserSettings(demoSettings, UserSettings::load());
    statsWanted = showStats || demoSettings.stats;
    player = std::make_unique<DemoPlayer>(demoSettings);
    // The player exists first: the resize handler needs its aspect while the window is made.
    window = std::make_unique<Window>();
    if (!openPlayerWindow(*window, demoSettings, player->assets.paths.aspect))
        return; // shown already; run() ends with status 1
    // Once for each buffer, so the loading screen stays whichever one is shown.
    for (int buffer = 0; buffer < 2; ++buffer) {
        glClear(GL_COLOR_BUFFER_BIT);
        drawLoadingScreen(player->assets.textures);
        window->swapBuffers();
    }
    // Every scene, mesh, texture and program is loaded here; the long part of start-up.
    loadTimeline(player->timeline, *config, clock.frequency());
    config.reset();
    startPlayback(*player, clock);
}

int DemoSession::run()
{
    if (!window || !window->isOpen())
        return 1;
    FrameStats stats;
    const int status = runMainLoop(*player, *window, clock, stats);
    if (statsWanted) {
        std::fputs(stats.summary().c_str(), stdout);
        std::fflush(stdout);
    }
    return status;
}
