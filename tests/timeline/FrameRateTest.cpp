#include "timeline/FrameRate.h"
#include "timeline/VirtualClock.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FrameRate, ParsesWholeDecimalAndFractionalRates)
{
    struct Case {
        const char* text;
        std::int64_t numerator;
        std::int64_t denominator;
    };
    const Case good[] = {{"60", 60, 1},     {"29.97", 2997, 100}, {"30000/1001", 30000, 1001},
                         {"24.000", 24, 1}, {".5", 1, 2},         {"50/2", 25, 1},
                         {"1000", 1000, 1}};
    for (const Case& c : good) {
        const std::optional<FrameRate> rate = parseFrameRate(c.text);
        ASSERT_TRUE(rate) << c.text;
        EXPECT_EQ(rate->numerator, c.numerator) << c.text;
        EXPECT_EQ(rate->denominator, c.denominator) << c.text;
    }
    for (const char* bad : {"", "0", "0/5", "5/0", "-30", "abc", "60fps", "1001", "1.2.3", "/",
                            "3/", "12345678901", "1e2", " 60"})
        EXPECT_FALSE(parseFrameRate(bad)) << bad;
}

TEST(FrameRate, FrameCountIncludesEveryFrameNotPastTheEnd)
{
    struct Case {
        const char* rate;
        float from;
        float to;
        std::int64_t frames;
    };
    // 29.97 over ten seconds ends with frame 299 at 9.977 s; frame 300 would be 10.01 s.
    const Case cases[] = {{"29.97", 0.0f, 10.0f, 300}, {"30000/1001", 0.0f, 10.0f, 300},
                          {"60", 0.0f, 10.0f, 601},    {"60", 2.5f, 2.5f, 1},
                          {"10", 0.3f, 1.2f, 10},      {"24", 100.0f, 101.0f, 25}};
    for (const Case& c : cases) {
        const FrameRate rate = *parseFrameRate(c.rate);
        const std::int64_t count = frameCount(c.from, c.to, rate);
        EXPECT_EQ(count, c.frames) << c.rate << " from " << c.from;
        EXPECT_LE(frameTime(c.from, rate, count - 1), c.to) << c.rate;
        EXPECT_GT(frameTime(c.from, rate, count), c.to) << c.rate;
    }
    EXPECT_EQ(frameCount(2.0f, 1.0f, FrameRate{}), 0);
}

TEST(FrameRate, FrameTimesDoNotAccumulateError)
{
    // Adding 1/29.97 a frame in float drifts by milliseconds within an hour; each frame time
    // here is computed afresh, so frame 107892 (one hour of 29.97) lands on 3600 s.
    const FrameRate rate = *parseFrameRate("29.97");
    EXPECT_FLOAT_EQ(frameTime(0.0f, rate, 107892), 3600.0f);
    EXPECT_FLOAT_EQ(frameTime(0.0f, rate, 2997), 100.0f);
    const FrameRate ntsc = *parseFrameRate("30000/1001");
    EXPECT_EQ(frameTicks(ntsc, 30000, 1'000'000'000), 1001'000'000'000);
}

TEST(VirtualClock, AClockFromALaterStartMeetsTheGridFromTheOrigin)
{
    // A capture from 0.5 s steps its layers from the start at the capture's rate: where the two
    // grids meet, demo time and scene clock must be the same.
    const FrameRate rate = *parseFrameRate("10");
    VirtualClock fromStart(0.0f, rate, 1'000'000'000);
    VirtualClock later(0.0f, rate, 1'000'000'000);
    for (std::int64_t frame = 0; frame < 20; ++frame) {
        fromStart.moveTo(0.0f, frame + 5);
        later.moveTo(0.5f, frame);
        EXPECT_EQ(later.counter(), fromStart.counter()) << frame;
        EXPECT_EQ(later.demoTime(), fromStart.demoTime()) << frame;
    }
    VirtualClock offset(2.0f, rate, 1000);
    offset.moveTo(2.0f, 3);
    EXPECT_EQ(offset.counter(), 300);
    EXPECT_FLOAT_EQ(offset.demoTime(), 2.3f);
}
