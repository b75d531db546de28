#include "shell/HotReload.h"

#include "platform/MessageBox.h"
#include "shell/DemoPlayer.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "timeline/TimelineScript.h"

#include <filesystem>

HotReload::HotReload(std::string config, const DemoSettings& demoSettings,
                     std::int64_t counterFrequency)
    : configFile(std::move(config)), settings(demoSettings), frequency(counterFrequency)
{
    std::filesystem::path configFolder = std::filesystem::path(configFile).parent_path();
    if (configFolder.empty())
        configFolder = ".";
    watcher.watchTree(configFolder.string());
    watcher.watchTree(settings.rootDir);
}

bool HotReload::changesSettled(std::int64_t now)
{
    if (!watcher.takeChanges().empty())
        lastChange = now;
    if (lastChange < 0 || now - lastChange < reloadSettleNanoseconds)
        return false;
    lastChange = -1;
    return true;
}

std::unique_ptr<DemoPlayer> HotReload::reload(DemoPlayer& current, std::string& error)
{
    const MessageBoxesHeld quiet;
    try {
        MappedTextFile config(configFile);
        // The header is read past; its display settings and paths stay those of the start.
        readDemoHeader(config);
        auto fresh = std::make_unique<DemoPlayer>(settings, nullptr);
        loadTimeline(fresh->timeline, config, frequency);
        fresh->music = std::move(current.music);
        fresh->clock = current.clock;
        fresh->startOffset = current.startOffset;
        return fresh;
    } catch (const LoadError& failure) {
        // The author's edit is reported here, where the demo goes on; nothing reaches main().
        error = failure.what();
        return nullptr;
    }
}
