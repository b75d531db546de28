#include "shell/Startup.h"

#include "platform/UserSettings.h"
#include "platform/Window.h"
#include "shell/DemoPlayer.h"
#include "shell/GlStartup.h"
#include "shell/HotReload.h"
#include "shell/MainLoop.h"
#include "shell/MappedTextFile.h"
#include "shell/Playback.h"
#include "shell/SteeredLoop.h"
#include "timeline/FrameClock.h"
#include "timeline/FrameStats.h"
#include "timeline/TimelineScript.h"

#include <GL/gl.h>

#include <cstdio>

DemoSession::DemoSession() = default;
DemoSession::~DemoSession() = default;

static float audioOffsetSeconds(const PlayerOptions& options, const UserSettings& user)
{
    const int milliseconds =
        options.audioOffsetMs ? *options.audioOffsetMs : user.value("AudioOffsetMs").value_or(0);
    return static_cast<float>(milliseconds) / 1000.0f;
}

bool DemoSession::spanWithinDemo() const
{
    const Timeline& timeline = player->timeline;
    const auto outside = [&](float t) { return t < timeline.startTime || t > timeline.endTime; };
    if ((options.from && outside(*options.from)) || (options.to && outside(*options.to))) {
        std::fprintf(stderr,
                     "demoplayer: --from and --to must lie within the demo's %g to %g "
                     "seconds (see --help)\n",
                     static_cast<double>(timeline.startTime),
                     static_cast<double>(timeline.endTime));
        return false;
    }
    return true;
}

void DemoSession::start(const PlayerOptions& commandLine)
{
    options = commandLine;
    config = std::make_unique<MappedTextFile>(configFileName(options.configFile));
    demoSettings = readDemoHeader(*config);
    const UserSettings user = UserSettings::load();
    applyUserSettings(demoSettings, user);
    applyCommandLine(demoSettings, options);
    player = std::make_unique<DemoPlayer>(demoSettings);
    // The player exists first: the resize handler needs its aspect while the window is made.
    window = std::make_unique<Window>();
    if (!openPlayerWindow(*window, demoSettings, player->assets.paths.aspect)) {
        exitStatus = 1; // shown already
        return;
    }
    // Once for each buffer, so the loading screen stays whichever one is shown.
    for (int buffer = 0; buffer < 2; ++buffer) {
        glClear(GL_COLOR_BUFFER_BIT);
        drawLoadingScreen(player->assets.textures);
        window->swapBuffers();
    }
    // Every scene, mesh, texture and program is loaded here; the long part of start-up.
    loadTimeline(player->timeline, *config, clock.frequency());
    config.reset();
    if (!spanWithinDemo()) {
        exitStatus = exitBadUsage;
        return;
    }
    Timeline& timeline = player->timeline;
    const float to = options.to.value_or(timeline.endTime);
    const float audioOffset = audioOffsetSeconds(options, user);
    if (!options.author && !options.from && !options.loop && audioOffset == 0.0f) {
        timeline.endTime = to;
        startPlayback(*player, clock);
        return;
    }
    const LoopSpan span{options.from.value_or(timeline.startTime), to};
    playback = std::make_unique<Playback>(*player, clock, audioOffset, span);
    if (options.loop)
        playback->setLoop(span);
    if (options.author)
        hotReload = std::make_unique<HotReload>(configFileName(options.configFile), demoSettings,
                                                clock.frequency());
    playback->start(span.start);
}

int DemoSession::run()
{
    if (exitStatus != 0 || !window || !window->isOpen())
        return exitStatus != 0 ? exitStatus : 1;
    FrameStats stats;
    const int status = playback ? runSteeredLoop(player, *window, clock, stats, *playback,
                                                 options.author, hotReload.get())
                                : runMainLoop(*player, *window, clock, stats);
    if (demoSettings.stats) {
        std::fputs(stats.summary().c_str(), stdout);
        std::fflush(stdout);
    }
    return status;
}
