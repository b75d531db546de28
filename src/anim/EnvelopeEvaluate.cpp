#include "anim/Envelope.h"

#include <algorithm>
#include <cassert>
#include <cmath>

// Every expression below keeps the written order of operations in single precision, so results
// match the reference formulas bit for bit (the library is built with -ffp-contract=off).

namespace {

constexpr float oneThird = 0.33333334f;
constexpr float handleEpsilon = 0.00001f;
constexpr float bezierTolerance = 0.0001f;

struct Wrapped {
    float time;
    float cycle; // a whole number; float so that far-out times cannot overflow an integer
};

Wrapped wrapTime(const EnvelopeKey& first, const EnvelopeKey& last, float t)
{
    const float range = last.time - first.time;
    if (range == 0.0f)
        return {first.time, 0.0f};
    const float wrapped = t - range * std::floor((t - first.time) / range);
    const float cycles = (wrapped - t) / range;
    const float rounded = std::trunc(wrapped > t ? cycles + 0.5f : cycles - 0.5f);
    return {wrapped, -rounded};
}

bool isOdd(float cycle)
{
    return std::fmod(cycle, 2.0f) != 0.0f;
}

// Repeat, Oscillate and OffsetRepeat bring t back between the first and last key; the other
// codes leave t and offset alone.
void wrapOutside(EnvelopeBehavior behavior, const EnvelopeKey& first, const EnvelopeKey& last,
                 float& t, float& offset)
{
    if (behavior != EnvelopeBehavior::Repeat && behavior != EnvelopeBehavior::Oscillate &&
        behavior != EnvelopeBehavior::OffsetRepeat)
        return;
    const Wrapped wrapped = wrapTime(first, last, t);
    t = wrapped.time;
    if (behavior == EnvelopeBehavior::Oscillate && isOdd(wrapped.cycle))
        t = first.time + last.time - wrapped.time;
    else if (behavior == EnvelopeBehavior::OffsetRepeat)
        offset = wrapped.cycle * (last.value - first.value);
}

float outgoingTangent(const EnvelopeKey& k0, const EnvelopeKey& k1)
{
    const float d = k1.value - k0.value;
    const EnvelopeKey* p = k0.prev;
    switch (k0.shape) {
    case KeyShape::TCB: {
        const float a = (1.0f - k0.tension) * (1.0f + k0.continuity) * (1.0f + k0.bias);
        const float b = (1.0f - k0.tension) * (1.0f - k0.continuity) * (1.0f - k0.bias);
        if (!p)
            return b * d;
        const float ratio = (k1.time - k0.time) / (k1.time - p->time);
        return ratio * (a * (k0.value - p->value) + b * d);
    }
    case KeyShape::Hermite:
    case KeyShape::Bezier:
        if (!p)
            return k0.params[1];
        return k0.params[1] * ((k1.time - k0.time) / (k1.time - p->time));
    case KeyShape::Linear:
        if (!p)
            return d;
        return ((k1.time - k0.time) / (k1.time - p->time)) * (k0.value - p->value + d);
    case KeyShape::Bezier2D:
        if (std::fabs(k0.params[2]) > handleEpsilon)
            return (k1.time - k0.time) * k0.params[3] / k0.params[2];
        return (k1.time - k0.time) * k0.params[3] * 100000.0f;
    default:
        return 0.0f;
    }
}

float incomingTangent(const EnvelopeKey& k0, const EnvelopeKey& k1)
{
    const float d = k1.value - k0.value;
    const EnvelopeKey* q = k1.next;
    switch (k1.shape) {
    case KeyShape::TCB: {
        const float a = (1.0f - k1.tension) * (1.0f - k1.continuity) * (1.0f + k1.bias);
        const float b = (1.0f - k1.tension) * (1.0f + k1.continuity) * (1.0f - k1.bias);
        if (!q)
            return a * d;
        const float ratio = (k1.time - k0.time) / (q->time - k0.time);
        return ratio * (b * (q->value - k1.value) + a * d);
    }
    case KeyShape::Hermite:
    case KeyShape::Bezier:
        if (!q)
            return k1.params[0];
        return k1.params[0] * ((k1.time - k0.time) / (q->time - k0.time));
    case KeyShape::Linear:
        if (!q)
            return d;
        return ((k1.time - k0.time) / (q->time - k0.time)) * (q->value - k1.value + d);
    case KeyShape::Bezier2D:
        if (std::fabs(k1.params[0]) > handleEpsilon)
            return (k1.time - k0.time) * k1.params[1] / k1.params[0];
        return (k1.time - k0.time) * k1.params[1] * 100000.0f;
    default:
        return 0.0f;
    }
}

struct Cubic {
    float p0, c, b, a;

    Cubic(float p0In, float p1, float p2, float p3) : p0(p0In)
    {
        c = 3.0f * (p1 - p0);
        b = 3.0f * (p2 - p1) - c;
        a = p3 - p0 - c - b;
    }
    float at(float s) const
    {
        const float s2 = s * s;
        const float s3 = s2 * s;
        return p0 + c * s + b * s2 + a * s3;
    }
};

float bezier2DValue(const EnvelopeKey& key0, const EnvelopeKey& key1, float t)
{
    const bool startIs2D = key0.shape == KeyShape::Bezier2D;
    // A start key of another shape gets a handle a third of the way along the span.
    const float x1 =
        startIs2D ? key0.time + key0.params[2] : key0.time + (key1.time - key0.time) * oneThird;
    const float y1 =
        startIs2D ? key0.value + key0.params[3] : key0.value + key0.params[1] * oneThird;
    const Cubic x(key0.time, x1, key1.time + key1.params[0], key1.time);
    const Cubic y(key0.value, y1, key1.value + key1.params[1], key1.value);

    float lo = 0.0f;
    float hi = 1.0f;
    float s = 0.5f;
    float xs = x.at(s);
    while (std::fabs(t - xs) > bezierTolerance) {
        const float width = hi - lo;
        if (xs > t)
            hi = s;
        else
            lo = s;
        // Once the interval stops shrinking s can never move again (folded handles, or a
        // tolerance finer than single precision reaches): keep the current s.
        if (!(hi - lo < width))
            break;
        s = lo + (hi - lo) * 0.5f;
        xs = x.at(s);
    }
    return y.at(s);
}

// The walk starts at the first key and stops at the last span. With ascending times the first
// key after key0 that is not before t is found by binary search instead: the same predicate on a
// partitioned range, so the same span (a NaN t stops both on the first span).
const EnvelopeKey& findSpan(const Envelope& envelope, float t)
{
    if (envelope.timesAscend) {
        const auto second = envelope.keys.begin() + 1;
        const auto last = envelope.keys.end() - 1;
        const auto end = std::lower_bound(
            second, last, t, [](const EnvelopeKey& key, float time) { return key.time < time; });
        return *(end - 1);
    }
    const EnvelopeKey* key0 = &envelope.keys.front();
    while (key0->next->next && t > key0->next->time)
        key0 = key0->next;
    return *key0;
}

} // namespace

float evaluateEnvelope(const Envelope& envelope, float t)
{
    if (envelope.keys.empty())
        return 0.0f;
    const EnvelopeKey& first = envelope.keys.front();
    if (!first.next)
        return first.value;
    const EnvelopeKey& last = envelope.keys.back();

    float offset = 0.0f;
    if (t < first.time) {
        switch (envelope.preBehavior) {
        case EnvelopeBehavior::Reset:
            return 0.0f;
        case EnvelopeBehavior::Constant:
            return first.value;
        case EnvelopeBehavior::LinearExtrapolate: {
            const float slope =
                outgoingTangent(first, *first.next) / (first.next->time - first.time);
            return slope * (t - first.time) + first.value;
        }
        default:
            // Repeating codes wrap t; unknown codes leave it, so the first span extrapolates.
            wrapOutside(envelope.preBehavior, first, last, t, offset);
            break;
        }
    } else if (t > last.time) {
        switch (envelope.postBehavior) {
        case EnvelopeBehavior::Reset:
            return 0.0f;
        case EnvelopeBehavior::Constant:
            return last.value;
        case EnvelopeBehavior::LinearExtrapolate: {
            const float slope = incomingTangent(*last.prev, last) / (last.time - last.prev->time);
            return slope * (t - last.time) + last.value;
        }
        default:
            wrapOutside(envelope.postBehavior, first, last, t, offset);
            break;
        }
    }

    const EnvelopeKey& k0 = findSpan(envelope, t);
    assert(k0.next && "span search ran past the last key");
    const EnvelopeKey& k1 = *k0.next;

    // Exact hits return the key itself: the Bezier search only gets within 0.0001.
    if (t == k0.time)
        return k0.value + offset;
    if (t == k1.time)
        return k1.value + offset;

    const float u = (t - k0.time) / (k1.time - k0.time);
    switch (k1.shape) {
    case KeyShape::TCB:
    case KeyShape::Hermite:
    case KeyShape::Bezier: {
        const float out = outgoingTangent(k0, k1);
        const float in = incomingTangent(k0, k1);
        const float u2 = u * u;
        const float u3 = u2 * u;
        const float h1 = 2.0f * u3 - 3.0f * u2 + 1.0f;
        const float h2 = 3.0f * u2 - 2.0f * u3;
        const float h3 = u3 - 2.0f * u2 + u;
        const float h4 = u3 - u2;
        return h1 * k0.value + h2 * k1.value + h3 * out + h4 * in + offset;
    }
    case KeyShape::Linear:
        return k0.value + u * (k1.value - k0.value) + offset;
    case KeyShape::Stepped:
        return k0.value + offset;
    case KeyShape::Bezier2D:
        return bezier2DValue(k0, k1, t) + offset;
    default:
        return offset;
    }
}
