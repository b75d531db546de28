#pragma once

#include <cstdint>

// Where the frame composition reads the clock that runs each layer's scene: the performance
// counter in the player, a virtual clock stepped frame by frame in a capture.
class FrameClock {
public:
    virtual ~FrameClock() = default;
    virtual std::int64_t counter() const = 0;   // ticks now
    virtual std::int64_t frequency() const = 0; // ticks per second
};

// The player's clock: the high-resolution performance counter.
class PerformanceClock final : public FrameClock {
public:
    std::int64_t counter() const override;
    std::int64_t frequency() const override;
};

// A clock over another that can stand still and be set: the author's pause holds every scene
// clock, and a seek sets the reading where the pre-roll left the layers.
class PausableClock final : public FrameClock {
public:
    explicit PausableClock(const FrameClock& source) : source(source) {}

    std::int64_t counter() const override;
    std::int64_t frequency() const override { return source.frequency(); }

    // Stands still at the present reading until resume(), then runs on from there.
    void pause();
    void resume();
    bool paused() const { return held; }
    // The reading is value now, and runs on from it unless paused.
    void setCounter(std::int64_t value);

private:
    const FrameClock& source;
    std::int64_t shift = 0; // added to the source's reading while running
    std::int64_t heldAt = 0;
    bool held = false;
};
