#pragma once

#include <functional>

class FrameClock;
class FrameStats;
class Window;
struct DemoPlayer;

// What one pass of the loop asks of the window, the music and the frame renderer.
struct MainLoopHooks {
    std::function<bool()> pumpEvents; // handles all pending events; true once quit was asked
    std::function<bool()> active;     // false while minimised
    std::function<float()> demoTime;  // seconds, from the music clock
    std::function<void(float t)> renderFrame;
    std::function<void()> stopMusic;
    std::function<bool()> escapeHeld;
    // Optional: true when a quit or Escape arrived while the frame was drawn; that frame is then
    // not presented, and the next pass's events end the loop.
    std::function<bool()> stopPending;
    std::function<void()> present;
};

// Events first; while active, the frame for demo time t unless t is past endTime, which stops
// the music and ends the loop. Escape ends it before the frame is presented. The buffers are
// swapped also while inactive. Returns the exit code, 0.
int runLoop(float endTime, const MainLoopHooks& hooks);

// Hooks with what the window answers set (active, escapeHeld, stopPending and a plain
// pumpEvents); the caller sets the rest.
MainLoopHooks windowHooks(Window& window);

// The loop over the player's window, music clock and timeline, with scene clocks on clock. Every
// presented frame's time, from the previous present to its own, goes into stats if given. (A run
// whose clock is steered runs shell/SteeredLoop.h instead.)
int runMainLoop(DemoPlayer& player, Window& window, const FrameClock& clock,
                FrameStats* stats = nullptr);
