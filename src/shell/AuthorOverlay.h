#pragma once

#include "render/TextPanel.h"

#include <deque>
#include <string>

class Playback;
struct DemoPlayer;
struct Layer;

// What the author's overlay (F1) shows: demo time and music position, frame rate and the recent
// frame times, each layer's current event, the loop, and the last reload's result.
class AuthorOverlay {
public:
    // One presented frame took this long, from the previous present to its own.
    void frameShown(double milliseconds);
    void setReloadResult(std::string text) { reload = std::move(text); }

    TextPanel panel(DemoPlayer& player, const Playback& playback) const;

private:
    std::deque<float> recent; // the last graphFrames frame times, oldest first
    std::string reload = "reload: none yet (R, or save a file of the demo)";
};

// "final: city cam 2 cl", "glow: none", or "overlay: -" before its first event is due.
std::string describeLayer(const Layer& layer, float t);
