#pragma once

#include "render/TextPanel.h"

#include <string>

class FrameStats;
class Playback;
struct DemoPlayer;

// What the author's overlay (F1) shows: demo time and music position, frame rate and the recent
// frame times, each layer's current event, the loop, and the last reload's result.
// The frame rate and the graph come from the run's frame statistics.
class AuthorOverlay {
public:
    void setReloadResult(std::string text) { reload = std::move(text); }

    TextPanel panel(DemoPlayer& player, const Playback& playback, const FrameStats& stats) const;

private:
    std::string reload = "reload: none yet (R, or save a file of the demo)";
};
