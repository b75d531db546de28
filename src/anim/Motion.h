#pragma once

#include "anim/Envelope.h"

#include <cstdint>
#include <vector>

class MappedTextFile;

// Channel positions in an item's motion; rotations are radians.
enum class MotionChannel : std::int32_t {
    X = 0,
    Y = 1,
    Z = 2,
    Heading = 3,
    Pitch = 4,
    Bank = 5,
    ScaleX = 6,
    ScaleY = 7,
    ScaleZ = 8,
};

// An item's channel block, channels in file order. Only a motion with exactly nine channels
// scales its item.
struct Motion {
    std::vector<Envelope> envelopes;

    std::int32_t count() const { return static_cast<std::int32_t>(envelopes.size()); }
};

// Reads "NumChannels n" and n "Channel k { Envelope ... }" blocks; the cursor stands before
// "NumChannels". Throws "Not NumChannels", and refuses a motion of fewer than 6 channels, which
// could not place its item.
Motion parseMotion(MappedTextFile& file);

// The channel's envelope at t; a channel the motion does not have is 0.
float evaluateMotionChannel(const Motion& motion, MotionChannel channel, float t);
