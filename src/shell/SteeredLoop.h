#pragma once

#include <memory>

class FrameClock;
class FrameStats;
class HotReload;
class Playback;
class Window;
struct DemoPlayer;

// The main loop of a run whose clock is steered: demo time from the playback (a start past the
// demo's, a loop, an audio offset), a paused picture drawn once rather than every pass, and with
// author true the author keys and the overlay. With a hot reload, a changed demo (or R) is loaded
// again between two frames and replaces player on success. Presented frames' times go into
// stats.
int runSteeredLoop(std::unique_ptr<DemoPlayer>& player, Window& window, const FrameClock& clock,
                   FrameStats& stats, Playback& playback, bool author, HotReload* reload);
