#include "anim/Envelope.h"

#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Key {
    float value;
    float time;
    KeyShape shape = KeyShape::Linear;
    float params[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
};

Envelope envelopeOf(const std::vector<Key>& keys, EnvelopeBehavior pre = EnvelopeBehavior::Reset,
                    EnvelopeBehavior post = EnvelopeBehavior::Reset)
{
    Envelope envelope;
    for (const Key& in : keys) {
        EnvelopeKey key;
        key.value = in.value;
        key.time = in.time;
        key.shape = in.shape;
        key.tension = in.tension;
        key.continuity = in.continuity;
        key.bias = in.bias;
        for (int i = 0; i < 4; ++i)
            key.params[i] = in.params[i];
        envelope.keys.push_back(key);
    }
    envelope.linkKeys();
    envelope.preBehavior = pre;
    envelope.postBehavior = post;
    return envelope;
}

std::string loadErrorOf(const std::string& text)
{
    TempDir dir;
    MappedTextFile file(dir.write("env.txt", text));
    try {
        parseEnvelope(file);
    } catch (const LoadError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(Envelope, ReadsEachShapesOwnParameterSlots)
{
    TempDir dir;
    MappedTextFile file(dir.write("env.txt", "{ Envelope\n  5\n"
                                             "  Key 1 0 0 0.5 0.25 -0.5 7 7 7\n"
                                             "  Key 2 1 1 7 7 7 1.5 -2.5 7\n"
                                             "  Key 3 2 3 7 7 7 7 7 7\n"
                                             "  Key 4 3 4 7 7 7 7 7 7\n"
                                             "  Key 5 4 5 0.1 0.2 0.3 0.4 7 7\n"
                                             "  Behaviors 2 4\n}\nNext"));
    const Envelope envelope = parseEnvelope(file);
    ASSERT_EQ(envelope.keyCount(), 5);
    const auto& k = envelope.keys;
    EXPECT_EQ(k[0].shape, KeyShape::TCB);
    EXPECT_EQ(k[0].tension, 0.5f);
    EXPECT_EQ(k[0].continuity, 0.25f);
    EXPECT_EQ(k[0].bias, -0.5f);
    EXPECT_EQ(k[0].params[0], 0.0f);
    EXPECT_EQ(k[1].value, 2.0f);
    EXPECT_EQ(k[1].time, 1.0f);
    EXPECT_EQ(k[1].params[0], 1.5f);
    EXPECT_EQ(k[1].params[1], -2.5f);
    EXPECT_EQ(k[1].tension, 0.0f);
    EXPECT_EQ(k[2].params[0], 0.0f);
    EXPECT_EQ(k[3].shape, KeyShape::Stepped);
    EXPECT_EQ(k[4].params[0], 0.1f);
    EXPECT_EQ(k[4].params[3], 0.4f);
    EXPECT_EQ(envelope.preBehavior, EnvelopeBehavior::Repeat);
    EXPECT_EQ(envelope.postBehavior, EnvelopeBehavior::OffsetRepeat);
    // Linked in file order, and the closing brace is consumed.
    EXPECT_EQ(k[0].prev, nullptr);
    EXPECT_EQ(k[0].next, &k[1]);
    EXPECT_EQ(k[4].prev, &k[3]);
    EXPECT_EQ(k[4].next, nullptr);
    EXPECT_EQ(file.readWord(), "Next");

    // Copies keep their own links.
    const Envelope copy = envelope;
    EXPECT_EQ(copy.keys[0].next, &copy.keys[1]);
    EXPECT_EQ(evaluateEnvelope(copy, 2.5f), evaluateEnvelope(envelope, 2.5f));
}

TEST(Envelope, KeyCountZeroStillReadsOneKey)
{
    TempDir dir;
    MappedTextFile file(
        dir.write("env.txt", "{ Envelope 0 Key 2.5 0 3 0 0 0 0 0 0 Behaviors 1 1 } x"));
    const Envelope envelope = parseEnvelope(file);
    ASSERT_EQ(envelope.keyCount(), 1);
    EXPECT_EQ(evaluateEnvelope(envelope, -10.0f), 2.5f);
}

TEST(Envelope, ParseMessages)
{
    EXPECT_EQ(loadErrorOf("{ Envelopes 1 Key 0 0 0 0 0 0 0 0 0 Behaviors 1 1 }"), "Not Envelope");
    EXPECT_EQ(
        loadErrorOf("{ Envelope 2 Key 0 0 3 0 0 0 0 0 0 Kay 0 0 0 0 0 0 0 0 0 Behaviors 1 1 }"),
        "Not Key");
    EXPECT_EQ(loadErrorOf("{ Envelope 1 Key 0 0 3 0 0 0 0 0 0 Behavior 1 1 }"), "Not Behaviors");
    // An unknown shape consumes no parameters, so its first parameter is taken as the next word.
    EXPECT_EQ(
        loadErrorOf("{ Envelope 2 Key 0 0 9 0 0 0 0 0 0 Key 0 0 3 0 0 0 0 0 0 Behaviors 1 1 }"),
        "Not Key");
    EXPECT_EQ(loadErrorOf("{ Envelope 1 Key 0 0 9 0 0 0 0 0 0 Behaviors 1 1 }"), "Not Behaviors");
    // More keys announced than the file holds fail at the missing "Key", not by allocating them.
    EXPECT_EQ(loadErrorOf("{ Envelope 2000000000 Key 0 0 3 0 0 0 0 0 0 }"), "Not Key");
}

TEST(Envelope, RefusesNegativeOrNonNumericKeyCount)
{
    EXPECT_NE(loadErrorOf("{ Envelope -1 Key 0 0 3 0 0 0 0 0 0 Behaviors 1 1 }")
                  .find("Bad envelope key count in "),
              std::string::npos);
    EXPECT_NE(loadErrorOf("{ Envelope many Key 0 0 3 0 0 0 0 0 0 Behaviors 1 1 }")
                  .find("Bad envelope key count in "),
              std::string::npos);
}

TEST(Envelope, OneKeyHoldsItsValueWhateverTheBehaviour)
{
    const Envelope envelope =
        envelopeOf({{3.0f, 2.0f}}, EnvelopeBehavior::Reset, EnvelopeBehavior::LinearExtrapolate);
    for (float t : {-5.0f, 0.0f, 2.0f, 9.0f})
        EXPECT_EQ(evaluateEnvelope(envelope, t), 3.0f);
    EXPECT_EQ(evaluateEnvelope(Envelope{}, 1.0f), 0.0f);
}

TEST(Envelope, LinearSteppedAndExactKeyTimes)
{
    const Envelope linear =
        envelopeOf({{0.0f, 1.0f}, {4.0f, 3.0f}, {4.0f, 5.0f, KeyShape::Stepped}},
                   EnvelopeBehavior::Reset, EnvelopeBehavior::Reset);
    EXPECT_EQ(evaluateEnvelope(linear, 1.5f), 1.0f);
    EXPECT_EQ(evaluateEnvelope(linear, 3.0f), 4.0f);
    EXPECT_EQ(evaluateEnvelope(linear, 0.5f), 0.0f); // Reset before the first key
    // The last key's own time is inside the envelope, so Reset does not apply to it.
    EXPECT_EQ(evaluateEnvelope(linear, 5.0f), 4.0f);
    EXPECT_EQ(evaluateEnvelope(linear, 5.5f), 0.0f);

    const Envelope stepped = envelopeOf(
        {{1.0f, 0.0f}, {7.0f, 2.0f, KeyShape::Stepped}, {3.0f, 4.0f, KeyShape::Stepped}});
    EXPECT_EQ(evaluateEnvelope(stepped, 1.999f), 1.0f);
    EXPECT_EQ(evaluateEnvelope(stepped, 2.0f), 7.0f);
    EXPECT_EQ(evaluateEnvelope(stepped, 3.0f), 7.0f);
}

TEST(Envelope, TcbUsesNeighbourRatios)
{
    // Span 0-1: out = b*d = 1 (no previous key); the second key, tension 0.5, has a next key:
    // in = (1/3) * (0.5 * (3 - 1) + 0.5 * 1) = 0.5. At u = 0.5 the basis is 1/2, 1/2, 1/8, -1/8.
    const Envelope envelope = envelopeOf({{0.0f, 0.0f, KeyShape::TCB},
                                          {1.0f, 1.0f, KeyShape::TCB, {}, 0.5f},
                                          {3.0f, 3.0f, KeyShape::TCB}});
    EXPECT_EQ(evaluateEnvelope(envelope, 0.5f), 0.5625f);
}

TEST(Envelope, TcbContinuityAndBiasWeightTheTwoSides)
{
    // Keys 0, 1, 3, 4 at times 0, 1, 2, 3; both ratios are 1/2. The second key (c 0.5, b 0.5):
    // a = 1.5 * 1.5, b = 0.5 * 0.5, out = 0.5 * (2.25 * 1 + 0.25 * 2) = 1.375. The third
    // (c -0.5, b 0.5): a = 1.5 * 1.5, b = 0.5 * 0.5, in = 0.5 * (0.25 * 1 + 2.25 * 2) = 2.375.
    // At u = 0.25 the basis is 0.84375, 0.15625, 0.140625, -0.046875: 1 + 3 + out + in give
    // 0.84375 + 0.46875 + 0.193359375 - 0.111328125, exact in single precision.
    const Envelope envelope = envelopeOf({{0.0f, 0.0f, KeyShape::TCB},
                                          {1.0f, 1.0f, KeyShape::TCB, {}, 0.0f, 0.5f, 0.5f},
                                          {3.0f, 2.0f, KeyShape::TCB, {}, 0.0f, -0.5f, 0.5f},
                                          {4.0f, 3.0f, KeyShape::TCB}});
    EXPECT_EQ(evaluateEnvelope(envelope, 1.25f), 1.39453125f);
}

TEST(Envelope, HermiteAndBezierTangents)
{
    // No neighbours: out = 2, in = 4; 0.5 * 1 + 0.125 * 2 - 0.125 * 4 = 0.25.
    for (KeyShape shape : {KeyShape::Hermite, KeyShape::Bezier}) {
        const Envelope envelope =
            envelopeOf({{0.0f, 0.0f, shape, {0.0f, 2.0f}}, {1.0f, 1.0f, shape, {4.0f, 0.0f}}});
        EXPECT_EQ(evaluateEnvelope(envelope, 0.5f), 0.25f);
    }
    // With a previous key the outgoing tangent is scaled by (1 - 0) / ... = (2 - 1) / (2 - 0).
    const Envelope scaled = envelopeOf({{0.0f, 0.0f, KeyShape::Hermite},
                                        {1.0f, 1.0f, KeyShape::Hermite, {0.0f, 2.0f}},
                                        {3.0f, 2.0f, KeyShape::Hermite, {4.0f, 0.0f}}});
    EXPECT_EQ(evaluateEnvelope(scaled, 1.5f), 1.625f);
    // With a next key as well the incoming tangent 4 is scaled by (2 - 1) / (3 - 1):
    // 0.5 * 1 + 0.5 * 3 + 0.125 * 1 - 0.125 * 2.
    const Envelope both = envelopeOf({{0.0f, 0.0f, KeyShape::Hermite},
                                      {1.0f, 1.0f, KeyShape::Hermite, {0.0f, 2.0f}},
                                      {3.0f, 2.0f, KeyShape::Hermite, {4.0f, 0.0f}},
                                      {9.0f, 3.0f, KeyShape::Hermite}});
    EXPECT_EQ(evaluateEnvelope(both, 1.5f), 1.875f);
}

TEST(Envelope, LinearSpansIgnoreNeighboursButLinearTangentsDoNot)
{
    // The Hermite span 1-2 takes the Linear key's outgoing tangent 0.5 * (2 - 0 + 0) = 1.
    Envelope envelope = envelopeOf({{0.0f, 0.0f}, {2.0f, 1.0f}, {2.0f, 2.0f, KeyShape::Hermite}});
    EXPECT_EQ(evaluateEnvelope(envelope, 1.5f), 2.125f);
    EXPECT_EQ(evaluateEnvelope(envelope, 0.5f), 1.0f);
    envelope.keys[2].value = 50.0f;
    EXPECT_EQ(evaluateEnvelope(envelope, 0.5f), 1.0f);
}

TEST(Envelope, RepeatAndOffsetRepeatWrapByWholeCycles)
{
    // Keys at 1 and 3 (range 2), values 0 and 4.
    const std::vector<Key> keys = {{0.0f, 1.0f}, {4.0f, 3.0f}};
    const Envelope repeat = envelopeOf(keys, EnvelopeBehavior::Repeat, EnvelopeBehavior::Repeat);
    EXPECT_EQ(evaluateEnvelope(repeat, 4.0f), 2.0f);
    EXPECT_EQ(evaluateEnvelope(repeat, 0.5f), 3.0f);
    EXPECT_EQ(evaluateEnvelope(repeat, -3.5f), 3.0f);

    const Envelope offset =
        envelopeOf(keys, EnvelopeBehavior::OffsetRepeat, EnvelopeBehavior::OffsetRepeat);
    EXPECT_EQ(evaluateEnvelope(offset, 4.0f), 6.0f);  // one cycle on: +4
    EXPECT_EQ(evaluateEnvelope(offset, 7.0f), 12.0f); // three cycles on, wrapped to the first key
    // One cycle before the first key lowers the value by last - first.
    EXPECT_EQ(evaluateEnvelope(offset, 0.5f), -1.0f);
    EXPECT_EQ(evaluateEnvelope(offset, -1.5f), -5.0f);
}

TEST(Envelope, OscillateRunsOddCyclesBackwards)
{
    const Envelope envelope = envelopeOf({{0.0f, 1.0f}, {4.0f, 3.0f}}, EnvelopeBehavior::Oscillate,
                                         EnvelopeBehavior::Oscillate);
    EXPECT_EQ(evaluateEnvelope(envelope, 3.5f), 3.0f);  // cycle 1: mirrored to 2.5
    EXPECT_EQ(evaluateEnvelope(envelope, 5.5f), 1.0f);  // cycle 2: forwards, at 1.5
    EXPECT_EQ(evaluateEnvelope(envelope, 0.5f), 1.0f);  // cycle -1: mirrored to 1.5
    EXPECT_EQ(evaluateEnvelope(envelope, -1.5f), 3.0f); // cycle -2: forwards, at 2.5
}

TEST(Envelope, ConstantLinearExtrapolateAndUnknownBehaviours)
{
    const std::vector<Key> keys = {{0.0f, 1.0f}, {4.0f, 3.0f}};
    const Envelope constant =
        envelopeOf(keys, EnvelopeBehavior::Constant, EnvelopeBehavior::Constant);
    EXPECT_EQ(evaluateEnvelope(constant, -100.0f), 0.0f);
    EXPECT_EQ(evaluateEnvelope(constant, 100.0f), 4.0f);

    const Envelope extrapolate =
        envelopeOf(keys, EnvelopeBehavior::LinearExtrapolate, EnvelopeBehavior::LinearExtrapolate);
    EXPECT_EQ(evaluateEnvelope(extrapolate, 0.0f), -2.0f);
    EXPECT_EQ(evaluateEnvelope(extrapolate, 4.0f), 6.0f);

    // Codes outside 0-5 leave the time alone: the end spans extrapolate with their own shape.
    const Envelope unknown =
        envelopeOf(keys, static_cast<EnvelopeBehavior>(7), static_cast<EnvelopeBehavior>(-1));
    EXPECT_EQ(evaluateEnvelope(unknown, 4.0f), 6.0f);
    EXPECT_EQ(evaluateEnvelope(unknown, 0.0f), -2.0f);
}

TEST(Envelope, KeysAtOneTimeWrapToTheFirstKey)
{
    const std::vector<Key> keys = {{1.0f, 2.0f}, {5.0f, 2.0f}};
    for (EnvelopeBehavior behavior :
         {EnvelopeBehavior::Repeat, EnvelopeBehavior::Oscillate, EnvelopeBehavior::OffsetRepeat}) {
        const Envelope envelope = envelopeOf(keys, behavior, behavior);
        EXPECT_EQ(evaluateEnvelope(envelope, 3.0f), 1.0f);
        EXPECT_EQ(evaluateEnvelope(envelope, 0.0f), 1.0f);
    }
}

TEST(Envelope, Bezier2DFindsTheCurveParameterByBisection)
{
    // Handles a third along the span make x(s) = 3s; the values 0, 0, 1, 1 give 3s^2 - 2s^3.
    const Envelope envelope =
        envelopeOf({{0.0f, 0.0f, KeyShape::Bezier2D, {0.0f, 0.0f, 1.0f, 0.0f}},
                    {1.0f, 3.0f, KeyShape::Bezier2D, {-1.0f, 0.0f}}});
    EXPECT_EQ(evaluateEnvelope(envelope, 1.5f), 0.5f);      // s = 0.5 at once
    EXPECT_EQ(evaluateEnvelope(envelope, 0.75f), 0.15625f); // one halving: s = 0.25
    const float near = evaluateEnvelope(envelope, 1.0f);    // s converges on 1/3
    EXPECT_NEAR(near, 3.0f / 9.0f - 2.0f / 27.0f, 1e-4f);
}

TEST(Envelope, Bezier2DAfterOtherShapeUsesAThirdOfTheSpan)
{
    // The Hermite start key's outgoing tangent 3 gives the handle (1, 1): y(s) = 3s - 3s^2 + s^3.
    const Envelope envelope = envelopeOf({{0.0f, 0.0f, KeyShape::Hermite, {0.0f, 3.0f}},
                                          {1.0f, 3.0f, KeyShape::Bezier2D, {-1.0f, 0.0f}}});
    EXPECT_EQ(evaluateEnvelope(envelope, 1.5f), 0.875f);
}

TEST(Envelope, Bezier2DTinyHandleTimeScalesTheTangent)
{
    // The Hermite span after a Bezier2D key takes out = 1 * 0.25 / params[2], or 1 * 0.25 * 100000
    // when params[2] is within 0.00001 of 0; at u = 0.5 the value is out / 8.
    for (float handleTime : {0.0f, 0.000005f, -0.00001f}) {
        const Envelope envelope =
            envelopeOf({{0.0f, 0.0f, KeyShape::Bezier2D, {0.0f, 0.0f, handleTime, 0.25f}},
                        {0.0f, 1.0f, KeyShape::Hermite}});
        EXPECT_EQ(evaluateEnvelope(envelope, 0.5f), 3125.0f) << handleTime;
    }
    const Envelope divided =
        envelopeOf({{0.0f, 0.0f, KeyShape::Bezier2D, {0.0f, 0.0f, 0.5f, 0.25f}},
                    {0.0f, 1.0f, KeyShape::Hermite}});
    EXPECT_EQ(evaluateEnvelope(divided, 0.5f), 0.0625f);
}

TEST(Envelope, Bezier2DBisectionEndsWhereTheToleranceIsOutOfReach)
{
    // Handles 100000 seconds long make x(s) so steep that no float s gets within 0.0001, and a
    // folded handle makes x(s) run backwards; both searches must end with a value on the curve.
    for (float handle : {100000.0f, 5.0f}) {
        const Envelope envelope =
            envelopeOf({{0.0f, 0.0f, KeyShape::Bezier2D, {0.0f, 0.0f, handle, 0.0f}},
                        {1.0f, 1.0f, KeyShape::Bezier2D, {-handle, 0.0f}}});
        for (float t : {0.3f, 0.5f, 0.7071f}) {
            const float value = evaluateEnvelope(envelope, t);
            EXPECT_TRUE(std::isfinite(value));
            EXPECT_GE(value, 0.0f);
            EXPECT_LE(value, 1.0f);
        }
    }
}

TEST(Envelope, BinarySpanSearchMatchesTheWalkBitForBit)
{
    // Random ascending envelopes of every shape, with repeated key times, evaluated with the
    // binary search and with the walk from the first key.
    std::uint32_t seed = 12345u;
    auto next = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 16777216.0f;
    };
    for (int round = 0; round < 20; ++round) {
        std::vector<Key> keys;
        float time = next() * 4.0f - 2.0f;
        const int count = 2 + round * 3;
        for (int i = 0; i < count; ++i) {
            Key key{next() * 10.0f - 5.0f, time, static_cast<KeyShape>(i % 6)};
            for (float& param : key.params)
                param = next() - 0.5f;
            key.tension = next() - 0.5f;
            keys.push_back(key);
            time += next() < 0.2f ? 0.0f : next();
        }
        Envelope fast = envelopeOf(keys, static_cast<EnvelopeBehavior>(round % 6),
                                   static_cast<EnvelopeBehavior>((round + 3) % 6));
        ASSERT_TRUE(fast.timesAscend);
        Envelope walk = fast;
        walk.timesAscend = false;
        for (int sample = 0; sample < 200; ++sample) {
            float t = keys.front().time - 3.0f + next() * (time - keys.front().time + 6.0f);
            if (sample % 10 == 0)
                t = keys[static_cast<std::size_t>(sample) % keys.size()].time;
            const float a = evaluateEnvelope(fast, t);
            const float b = evaluateEnvelope(walk, t);
            EXPECT_TRUE(a == b || (std::isnan(a) && std::isnan(b)))
                << "t " << t << ": " << a << " vs " << b;
        }
    }
    // Times out of order keep the walk.
    EXPECT_FALSE(envelopeOf({{0.0f, 2.0f}, {1.0f, 1.0f}}).timesAscend);
}
