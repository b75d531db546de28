#pragma once

#include "image/TextureSampling.h"

#include <cstdint>
#include <optional>

class PausableClock;
struct DemoPlayer;

// A stretch of demo seconds played again and again.
struct LoopSpan {
    float start = 0.0f;
    float end = 0.0f;
};

// Seconds of one frame step, the frame of a 60 fps capture.
constexpr float stepSeconds = 1.0f / 60.0f;

// The author's hold on the demo clock: pause, exact seeks, frame steps and a loop, applied to the
// music and to every scene clock together. A seek shows the very frame a capture from that time
// shows: the layers are pre-rolled as the capture pre-rolls them, the music moves to the sample.
//
// Demo time is the music's position shifted by the start offset and by the audio offset: with a
// positive audio offset the picture is shown that much later than the music is played.
class Playback {
public:
    // span: where start() and Home go (from) and past which the demo ends (to). The player's
    // textures must be loaded and the GL context current.
    Playback(DemoPlayer& player, PausableClock& clock, float audioOffsetSeconds, LoopSpan span);

    // Plays from demo time t: layers pre-rolled, music from the sample, scene clocks started when
    // the music is first heard to move.
    void start(float t);
    // The demo time to draw now. Once the loop's end has passed, the loop starts again first.
    float frameTime();
    // To demo time t within the span, playing or paused as before.
    void seek(float t);
    void seekBy(float seconds) { seek(shown + seconds); }
    void seekToStart() { seek(span.start); }
    void togglePause();
    bool paused() const;
    // One frame forward (1) or back (-1); only while paused.
    void step(int frames);

    // The loop's start at the present time, then its end, then no loop at all.
    void markLoop();
    void setLoop(std::optional<LoopSpan> loop) { loopSpan = loop; }
    std::optional<LoopSpan> loop() const { return loopSpan; }
    std::optional<float> loopStartMarked() const { return markedStart; }

    // While playing, every pass draws; while paused, only the first pass after a change does,
    // so the held picture is drawn once, exactly (the shake does not jitter).
    bool frameWanted();
    // Draw the held picture again (something over it changed), pre-rolled as after a seek.
    void redraw();

    // The demo was loaded again (hot reload): its layers are pre-rolled to the present time and
    // play on from there, while the music, which it took over, runs on undisturbed.
    void takeOver(DemoPlayer& reloaded);

    float time() const { return shown; } // demo seconds of the latest frame time
    float endTime() const { return span.end; }

private:
    float musicTarget(float t) const;
    // The demo time of the music's present position: what a playing picture shows now.
    float heardTime() const;
    // Returns the scene clocks' reading for t, which the clock now shows.
    std::int64_t prerollTo(float t);

    DemoPlayer* player;
    PausableClock& clock;
    TextureSampling sampling; // as loading left it, put back by every seek
    float audioOffset;        // seconds the picture trails the music
    LoopSpan span;
    std::optional<LoopSpan> loopSpan;
    std::optional<float> markedStart;
    float shown = 0.0f;
    bool changed = true;
};
