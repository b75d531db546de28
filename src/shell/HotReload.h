#pragma once

#include "platform/FileWatcher.h"
#include "shell/DemoConfig.h"

#include <cstdint>
#include <memory>
#include <string>

struct DemoPlayer;

// Changes settle this long before a reload, so an editor's save (often several writes and a
// rename) is read once, whole; well within a second of the change.
constexpr std::int64_t reloadSettleNanoseconds = 150'000'000;

// The author's hot reload: watches the files of the demo (the configuration's folder and the
// data root, every folder below) and loads the demo again, whole, when they change. Loading
// everything again is what makes every dependent part (a scene of a changed mesh, a material of a
// changed program, a layer of a changed script) follow its file without a dependency graph.
class HotReload {
public:
    // settings: as the player started with them; the display part of a changed header is not
    // applied (the window stays), the paths are.
    HotReload(std::string configFile, const DemoSettings& settings, std::int64_t counterFrequency);

    // True once files have changed and no further change came for reloadSettleNanoseconds.
    bool changesSettled(std::int64_t nowNanoseconds);

    // The demo loaded again from its files, with the music, its position and its offset taken
    // over from current (current keeps no music after a success). A loading error leaves
    // current untouched and whole, returns null and puts its text into error. No message box
    // is shown. The GL context must be current.
    std::unique_ptr<DemoPlayer> reload(DemoPlayer& current, std::string& error);

private:
    std::string configFile;
    DemoSettings settings;
    std::int64_t frequency;
    FileWatcher watcher;
    std::int64_t lastChange = -1; // nanoseconds of the latest change not yet reloaded
};
