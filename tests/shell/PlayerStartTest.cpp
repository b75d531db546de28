#include "shell/DemoPlayer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A music stream whose position readings come from a list (the last one repeats), standing in
// for a device that is heard to move late, or never.
class ScriptedMusic : public MusicStream {
public:
    explicit ScriptedMusic(std::vector<float> readings)
        : MusicStream(silence(), false), positions(std::move(readings))
    {
    }

    void play() override { calls += "play "; }
    void setTime(float seconds) override { calls += "seek " + std::to_string(seconds) + " "; }
    float getTime() override
    {
        ++readings;
        const float position = positions[next];
        if (next + 1 < positions.size())
            ++next;
        return position;
    }

    std::string calls;
    int readings = 0;

private:
    static DecodedAudio silence()
    {
        DecodedAudio audio;
        audio.sampleRate = 1000;
        audio.channels = 1;
        audio.samples.resize(10);
        return audio;
    }

    std::vector<float> positions;
    std::size_t next = 0;
};

} // namespace

TEST(PlayerStart, WaitsForTheFirstMovementAfterTheSeek)
{
    ScriptedMusic music({90.5f, 90.5f, 90.5f, 90.523f});
    std::int64_t now = 0;
    const float offset = startMusic(music, 90.5f, [&] { return now += 1000; });
    EXPECT_EQ(music.calls, "play seek 90.500000 ");
    EXPECT_FLOAT_EQ(offset, 0.0f);
    EXPECT_EQ(music.readings, 4);
}

TEST(PlayerStart, StartTimesUpTo00001StartWithoutASeek)
{
    ScriptedMusic music({0.0f, 0.0f, 0.02f});
    std::int64_t now = 0;
    EXPECT_FLOAT_EQ(startMusic(music, 0.0001f, [&] { return now += 1000; }), -0.0001f);
    EXPECT_EQ(music.calls, "play ");
}

TEST(PlayerStart, OffsetMakesDemoTimeTheStartTimeWhateverTheFirstReading)
{
    // A device that reports a little past the seek target at once.
    ScriptedMusic music({12.003f, 12.004f});
    std::int64_t now = 0;
    const float offset = startMusic(music, 12.0f, [&] { return now += 1000; });
    EXPECT_NEAR(offset, 0.003f, 2e-6f);
    EXPECT_NEAR(12.004f - offset, 12.001f, 2e-6f);
}

TEST(PlayerStart, AStuckDeviceGivesWayToTheSilentClockAfterTwoSeconds)
{
    ScriptedMusic music({3.0f});
    std::int64_t now = 0;
    const std::int64_t step = 100'000'000; // each reading of the wall clock is 0.1 s later
    startMusic(music, 3.0f, [&] { return now += step; });
    EXPECT_GE(now, musicStartTimeout);
    EXPECT_LE(now, musicStartTimeout + 3 * step);
    // One reading for the offset, then one per look at the wall clock after the first.
    EXPECT_EQ(music.readings, static_cast<int>(now / step));
}
