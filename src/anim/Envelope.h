#pragma once

#include <cstdint>
#include <vector>

class MappedTextFile;

// The shape of the span that ends at a key; outgoing tangents use the key's own shape.
enum class KeyShape : std::int32_t {
    TCB = 0,
    Hermite = 1,
    Bezier = 2, // evaluated with the Hermite basis
    Linear = 3,
    Stepped = 4,
    Bezier2D = 5,
};

// What an envelope does before its first key and after its last one.
enum class EnvelopeBehavior : std::int32_t {
    Reset = 0,
    Constant = 1,
    Repeat = 2,
    Oscillate = 3,
    OffsetRepeat = 4,
    LinearExtrapolate = 5,
};

struct EnvelopeKey {
    EnvelopeKey* next = nullptr; // null for the last key
    EnvelopeKey* prev = nullptr; // null for the first key
    float value = 0.0f;
    float time = 0.0f; // seconds of scene time
    KeyShape shape = KeyShape::TCB;
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
    // Hermite and Bezier: [0] incoming, [1] outgoing tangent. Bezier2D: incoming handle time and
    // value offsets, then outgoing handle time and value offsets.
    float params[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

// Keys stay in file order (never sorted) and are linked through next/prev into `keys`; copies
// relink their own keys, moves keep the key storage and so the links.
struct Envelope {
    std::vector<EnvelopeKey> keys;
    EnvelopeBehavior preBehavior = EnvelopeBehavior::Reset;
    EnvelopeBehavior postBehavior = EnvelopeBehavior::Reset;

    Envelope() = default;
    Envelope(const Envelope& other);
    Envelope& operator=(const Envelope& other);
    Envelope(Envelope&&) noexcept = default;
    Envelope& operator=(Envelope&&) noexcept = default;

    // Set by linkKeys when key times never decrease: the span is then found by binary search,
    // which picks the same span as walking from the first key. False keeps the walk.
    bool timesAscend = false;

    std::int32_t keyCount() const { return static_cast<std::int32_t>(keys.size()); }
    // Links the keys in array order and records timesAscend; call after filling `keys` or
    // changing key times by hand.
    void linkKeys();
};

// Reads one "{ Envelope n Key ... Behaviors pre post }" block; the cursor stands before "{".
// Throws "Not Envelope", "Not Key" or "Not Behaviors", and refuses a negative or non-numeric
// key count.
Envelope parseEnvelope(MappedTextFile& file);

// Value at time t (seconds), in single precision. Pure.
float evaluateEnvelope(const Envelope& envelope, float t);
