#include "shell/Startup.h"

#include "platform/UserSettings.h"
#include "platform/Window.h"
#include "shell/DemoPlayer.h"
#include "shell/GlStartup.h"
#include "shell/MappedTextFile.h"

DemoSession::DemoSession() = default;
DemoSession::~DemoSession() = default;

void DemoSession::start(const std::string& commandLine)
{
    config = std::make_unique<MappedTextFile>(configFileName(commandLine));
    demoSettings = readDemoHeader(*config);
    applyUserSettings(demoSettings, UserSettings::load());
    player = std::make_unique<DemoPlayer>(demoSettings);
    // The player exists first: the resize handler needs its aspect while the window is made.
    window = std::make_unique<Window>();
    if (!openPlayerWindow(*window, demoSettings, player->paths.aspect))
        return; // shown already; run() ends with status 1
    config.reset();
}

int DemoSession::run()
{
    if (!window || !window->isOpen())
        return 1;
    return 0;
}
