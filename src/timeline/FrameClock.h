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
