#include "shell/Startup.h"

#include "platform/UserSettings.h"
#include "shell/DemoPlayer.h"
#include "shell/MappedTextFile.h"

DemoSession::DemoSession() = default;
DemoSession::~DemoSession() = default;

void DemoSession::start(const std::string& commandLine)
{
    config = std::make_unique<MappedTextFile>(configFileName(commandLine));
    demoSettings = readDemoHeader(*config);
    applyUserSettings(demoSettings, UserSettings::load());
    player = std::make_unique<DemoPlayer>(demoSettings);
    config.reset();
}

int DemoSession::run()
{
    return 0;
}
