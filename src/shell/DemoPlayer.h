#pragma once

#include "shell/DemoConfig.h"
#include "shell/MusicStream.h"
#include "timeline/DemoAssets.h"
#include "timeline/Timeline.h"

#include <cstdint>
#include <functional>
#include <memory>

// Everything a demo loads and plays. Members are declared in construction order, so destruction
// runs in teardown order on the normal and on the error path alike: music, timeline, then the
// assets. GL objects go with them, so the context must still be current.
struct DemoPlayer {
    // Opens and decodes the music; the window does not exist yet.
    explicit DemoPlayer(const DemoSettings& settings);
    // For a music stream made elsewhere (tests).
    DemoPlayer(const DemoSettings& settings, std::unique_ptr<MusicStream> musicStream);

    DemoAssets assets;
    Timeline timeline{assets};
    std::unique_ptr<MusicStream> music;
    MusicStream* clock = nullptr; // every time query goes through it
    float startOffset = 0.0f;     // seconds: music time minus demo time

    float demoTime() { return clock->getTime() - startOffset; }
};

// How long playback start waits for the music to be heard moving before it gives the device up
// for the silent clock.
constexpr std::int64_t musicStartTimeout = 2'000'000'000; // nanoseconds

// Plays the music from startTime and waits, without sleeping, until its position moves past the
// first reading; returns the offset that makes demo time startTime at that moment. A device
// that does not move within musicStartTimeout of now() is replaced by the silent clock.
float startMusic(MusicStream& music, float startTime, const std::function<std::int64_t()>& now);

// The wait of startMusic for music already playing from musicTime: returns the offset that makes
// the music read musicTime when it is first heard to move.
float awaitMusic(MusicStream& music, float musicTime, const std::function<std::int64_t()>& now);

class FrameClock;

// The music from the timeline's start time, then every layer on its first event, its scene
// clock started at clock's present reading.
void startPlayback(DemoPlayer& player, const FrameClock& clock);
