#pragma once

class FrameClock;
class FrameStats;
class Playback;
class Window;
struct DemoPlayer;

// The main loop of a run whose clock is steered: demo time from the playback (a start past the
// demo's, a loop, an audio offset), a paused picture drawn once rather than every pass, and with
// author true the author keys and the overlay. Presented frames' times go into stats.
int runSteeredLoop(DemoPlayer& player, Window& window, const FrameClock& clock, FrameStats& stats,
                   Playback& playback, bool author);
