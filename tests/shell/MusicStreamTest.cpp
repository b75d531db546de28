#include "shell/MusicStream.h"
#include "platform/AudioFile.h"
#include "platform/AudioOutput.h"
#include "shell/LoadError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

constexpr std::int64_t ms = 1'000'000; // nanoseconds

// A ramp that makes every frame's first sample tell its own index.
DecodedAudio ramp(int rate, int channels, int frames)
{
    DecodedAudio audio;
    audio.sampleRate = rate;
    audio.channels = channels;
    for (int frame = 0; frame < frames; ++frame)
        for (int channel = 0; channel < channels; ++channel)
            audio.samples.push_back(static_cast<float>(frame % 1000) / 2000.0f -
                                    0.25f * static_cast<float>(channel));
    return audio;
}

} // namespace

TEST(MusicClock, HoldsAtTheSeekTargetUntilTheDeviceTakesFrames)
{
    MusicClock clock(48000, 1024);
    clock.seek(48000 * 90, 0);
    clock.start(0);
    EXPECT_EQ(clock.positionMilliseconds(5 * ms), 90000);
    EXPECT_EQ(clock.positionMilliseconds(50 * ms), 90000);
    // One callback hands a buffer; what is heard is a buffer behind, then moves with time.
    clock.deviceTook(1024, 50 * ms);
    EXPECT_EQ(clock.positionFrames(50 * ms), 48000 * 90);
    EXPECT_EQ(clock.positionFrames(60 * ms), 48000 * 90 + 480);
    // Never past what the device was given.
    EXPECT_EQ(clock.positionFrames(200 * ms), 48000 * 90 + 1024);
    // A device silent for over half a second no longer holds the clock back.
    EXPECT_EQ(clock.positionFrames(650 * ms), 48000 * 90 + 600 * 48);
    clock.deviceTook(1024, 660 * ms);
    EXPECT_EQ(clock.positionFrames(660 * ms), 48000 * 90 + 600 * 48);
}

TEST(MusicClock, StaysMonotonicUnderLateAndBunchedCallbacks)
{
    MusicClock clock(44100, 1024);
    clock.seek(0, 0);
    clock.start(0);
    std::int64_t now = 0;
    std::int64_t last = 0;
    std::int64_t handed = 0;
    int distinct = 0;
    // Callbacks arrive late, then two at once, then on time; the main loop reads every 3 ms.
    const std::int64_t callbackTimes[] = {30, 31, 90, 91, 92, 116, 139, 162, 185, 208};
    std::size_t next = 0;
    for (now = 0; now < 230 * ms; now += 3 * ms) {
        while (next < std::size(callbackTimes) && callbackTimes[next] * ms <= now) {
            clock.deviceTook(1024, now);
            handed += 1024;
            ++next;
        }
        const std::int64_t position = clock.positionFrames(now);
        EXPECT_GE(position, last) << "at " << now / ms << " ms";
        EXPECT_LE(position, handed);
        distinct += position != last ? 1 : 0;
        last = position;
    }
    // Interpolation keeps frames apart between callbacks instead of stepping per buffer.
    EXPECT_GT(distinct, 40);
}

TEST(MusicClock, TruncatesToWholeMilliseconds)
{
    MusicClock clock(44100, 0);
    clock.seek(44099, 0);
    EXPECT_EQ(clock.positionMilliseconds(0), 999);
    clock.seek(44100, 0);
    EXPECT_EQ(clock.positionMilliseconds(0), 1000);
    clock.seek(44144, 0);
    EXPECT_EQ(clock.positionMilliseconds(0), 1000);
    clock.seek(44145, 0);
    EXPECT_EQ(clock.positionMilliseconds(0), 1001);
}

TEST(MusicClock, SilentClockRunsOnFromTheHeardPositionAndStops)
{
    MusicClock clock(1000, 100);
    clock.seek(5000, 0);
    clock.start(0);
    clock.deviceTook(100, 10 * ms);
    clock.deviceTook(100, 110 * ms);
    const std::int64_t heard = clock.positionFrames(150 * ms);
    EXPECT_EQ(heard, 5000 + 140);
    clock.becomeSilent(150 * ms);
    EXPECT_TRUE(clock.silent());
    // Later callbacks no longer count; time alone moves the position.
    clock.deviceTook(100000, 160 * ms);
    EXPECT_EQ(clock.positionFrames(1150 * ms), heard + 1000);
    clock.stop(1150 * ms);
    EXPECT_EQ(clock.positionFrames(9000 * ms), heard + 1000);
    clock.start(9000 * ms);
    EXPECT_EQ(clock.positionFrames(9500 * ms), heard + 1500);
}

// Whatever rate a file claims, the clock neither overflows nor freezes: at two billion frames a
// second the nanosecond product passes 2^63 within five seconds.
TEST(MusicClock, RunsOnAtAnyRateForAnyTime)
{
    MusicClock clock(2'000'000'000, 0);
    clock.seek(0, 0);
    clock.start(0);
    clock.becomeSilent(0);
    EXPECT_EQ(clock.positionFrames(20'000 * ms), 40'000'000'000);
    EXPECT_EQ(clock.positionMilliseconds(20'000 * ms + 999'999), 20'000);
    clock.seek(std::int64_t{2'000'000'000} * 1'000'000'000, 0);
    EXPECT_EQ(clock.positionMilliseconds(1500 * ms), std::int64_t{1'000'000'001'500});
    MusicClock slow(48000, 0);
    slow.seek(0, 0);
    slow.start(0);
    slow.becomeSilent(0);
    const std::int64_t tenDays = std::int64_t{10} * 86'400 * 1000 * ms;
    EXPECT_EQ(slow.positionFrames(tenDays), std::int64_t{48000} * 86'400 * 10);
}

TEST(MusicStream, DecodesWavFlacAndOggToTheirFramesAndRate)
{
    TempDir dir;
    const DecodedAudio source = ramp(22050, 2, 22050 + 333);
    struct Case {
        const char* name;
        AudioFileFormat format;
        float tolerance;
    };
    for (const Case& c : {Case{"a.wav", AudioFileFormat::Wav, 1.0f / 16384},
                          Case{"a.flac", AudioFileFormat::Flac, 1.0f / 16384},
                          Case{"a.ogg", AudioFileFormat::OggVorbis, 0.2f}}) {
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(writeAudioFile(path, c.format, source)) << c.name;
        const std::optional<DecodedAudio> decoded = decodeAudioFile(path);
        ASSERT_TRUE(decoded) << c.name;
        EXPECT_EQ(decoded->sampleRate, 22050) << c.name;
        EXPECT_EQ(decoded->channels, 2) << c.name;
        EXPECT_EQ(decoded->frameCount(), source.frameCount()) << c.name;
        float worst = 0.0f;
        for (std::size_t i = 0; i < std::min(decoded->samples.size(), source.samples.size()); ++i)
            worst = std::max(worst, std::fabs(decoded->samples[i] - source.samples[i]));
        EXPECT_LE(worst, c.tolerance) << c.name;
    }
}

TEST(MusicStream, LongOggIsWrittenInBlocks)
{
    TempDir dir;
    DecodedAudio tone;
    tone.sampleRate = 44100;
    tone.channels = 2;
    const int frames = 44100 * 12;
    tone.samples.resize(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i)
        tone.samples[2 * static_cast<std::size_t>(i)] =
            tone.samples[2 * static_cast<std::size_t>(i) + 1] =
                0.5f * std::sin(static_cast<float>(i) * 0.0627f);
    const std::string path = dir.file("long.ogg");
    ASSERT_TRUE(writeAudioFile(path, AudioFileFormat::OggVorbis, tone));
    const std::optional<DecodedAudio> decoded = decodeAudioFile(path);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->frameCount(), frames);
}

TEST(MusicStream, MissingOrUndecodableFileCannotBeLoaded)
{
    TempDir dir;
    const std::string missing = dir.file("nothing.ogg");
    const std::string garbage = dir.write("garbage.ogg", "OggS but not really a stream at all");
    const std::string empty = dir.write("empty.wav", "");
    for (const std::string& path : {missing, garbage, empty}) {
        try {
            MusicStream stream(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const LoadError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot load file " + path + " from directory");
        }
    }
}

// A file cut short is read up to its last byte, which falls on a page's end: past it the file's
// mapping has nothing to read. WAV and Ogg Vorbis give the frames before the cut, FLAC refuses
// the whole file, and a header cut short cannot be loaded.
TEST(MusicStream, FilesCutShortGiveTheFramesBeforeTheCutOrNothing)
{
    TempDir dir;
    constexpr std::uintmax_t cutBytes = 2 * 4096;
    // Noise, which neither FLAC nor Vorbis packs into less than the cut.
    DecodedAudio source = ramp(8000, 1, 4 * 8000);
    for (std::size_t i = 0; i < source.samples.size(); ++i)
        source.samples[i] = static_cast<float>(i * 7919 % 2001) / 2000.0f - 0.5f;
    struct Case {
        const char* name;
        AudioFileFormat format;
        bool decodes;
    };
    for (const Case& c : {Case{"cut.wav", AudioFileFormat::Wav, true},
                          Case{"cut.flac", AudioFileFormat::Flac, false},
                          Case{"cut.ogg", AudioFileFormat::OggVorbis, true}}) {
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(writeAudioFile(path, c.format, source)) << c.name;
        const std::optional<DecodedAudio> whole = decodeAudioFile(path);
        ASSERT_TRUE(whole) << c.name;
        ASSERT_GT(std::filesystem::file_size(path), cutBytes) << c.name;
        std::filesystem::resize_file(path, cutBytes);
        const std::optional<DecodedAudio> cut = decodeAudioFile(path);
        ASSERT_EQ(cut.has_value(), c.decodes) << c.name;
        if (cut) {
            EXPECT_GT(cut->frameCount(), whole->frameCount() / 8) << c.name;
            EXPECT_LT(cut->frameCount(), whole->frameCount()) << c.name;
            EXPECT_TRUE(
                std::equal(cut->samples.begin(), cut->samples.end(), whole->samples.begin()))
                << c.name;
        }
    }

    const std::string header = dir.file("header.wav");
    ASSERT_TRUE(writeAudioFile(header, AudioFileFormat::Wav, source));
    std::filesystem::resize_file(header, 20);
    try {
        MusicStream stream(header);
        ADD_FAILURE() << "a header cut short loaded";
    } catch (const LoadError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot load file " + header + " from directory");
    }
}

TEST(MusicStream, SeeksToTheSampleAndFeedsSilencePastTheEnd)
{
    MusicStream stream(ramp(1000, 2, 2000), false);
    EXPECT_TRUE(stream.silent());
    stream.setTime(1.2345f);
    EXPECT_FLOAT_EQ(stream.getTime(), 1.234f);
    std::vector<float> out(2 * 1000, -9.0f);
    stream.pullFrames(out.data(), 1000);
    // 1234 ms at 1000 Hz is frame 1234 exactly.
    EXPECT_FLOAT_EQ(out[0], 234.0f / 2000.0f);
    EXPECT_FLOAT_EQ(out[1], 234.0f / 2000.0f - 0.25f);
    EXPECT_FLOAT_EQ(out[2 * 765], 999.0f / 2000.0f);
    EXPECT_FLOAT_EQ(out[2 * 766], 0.0f);
    EXPECT_FLOAT_EQ(out[2 * 999 + 1], 0.0f);
    stream.setTime(0.0f);
    EXPECT_FLOAT_EQ(stream.getTime(), 0.0f);
    // Times no music reaches stay defined: negatives and NaN seek to the start.
    stream.setTime(-3.0f);
    EXPECT_FLOAT_EQ(stream.getTime(), 0.0f);
    stream.setTime(std::nanf(""));
    EXPECT_FLOAT_EQ(stream.getTime(), 0.0f);
    stream.setTime(1.0e30f);
    EXPECT_FLOAT_EQ(stream.getTime(), 1.0e9f);
}

// 44.1 kHz has no whole frame for most milliseconds: a seek lands on the first frame of its
// millisecond, so the position read back is the millisecond asked for, not the one before.
// Seconds and milliseconds convert in double precision: seconds × 1000 truncated, milliseconds
// × 0.001 rounded once to the nearest float.
TEST(MusicStream, SeekTargetsReadBackAsTheirMilliseconds)
{
    MusicStream stream(ramp(44100, 1, 44100 * 3), false);
    stream.setTime(0.001f);
    EXPECT_EQ(stream.getTime(), 0.001f);
    stream.setTime(1.2345f);
    EXPECT_EQ(stream.getTime(), 1.234f);
    std::vector<float> out(1, -9.0f);
    stream.pullFrames(out.data(), 1);
    // 1234 ms is frame 54419.4: frame 54420 is the first inside it.
    EXPECT_FLOAT_EQ(out[0], static_cast<float>(54420 % 1000) / 2000.0f);
    // The float nearest 0.01 lies just below it, so it truncates to 9 ms.
    stream.setTime(0.01f);
    EXPECT_EQ(stream.getTime(), 0.009f);
    stream.setTime(90.5f);
    EXPECT_EQ(stream.getTime(), 90.5f);
}

// A seek of the author's lands on the sample, not on a whole millisecond: 1.2345 s at 1000 Hz is
// frame 1234.5, rounded to 1235 (setTime would give 1234).
TEST(MusicStream, SeekToSampleLandsOnTheNearestFrame)
{
    MusicStream stream(ramp(1000, 1, 2000), false);
    stream.seekToSample(1.2345);
    std::vector<float> out(1, -9.0f);
    stream.pullFrames(out.data(), 1);
    EXPECT_FLOAT_EQ(out[0], 235.0f / 2000.0f);
    EXPECT_FLOAT_EQ(stream.getTime(), 1.235f);
    stream.seekToSample(-1.0);
    stream.pullFrames(out.data(), 1);
    EXPECT_FLOAT_EQ(out[0], 0.0f);
}

TEST(AudioLibraries, VersionsCompareFieldByField)
{
    EXPECT_TRUE(versionAtLeast("1.2.0", "1.2.0"));
    EXPECT_TRUE(versionAtLeast("1.2.2", "1.2.0"));
    EXPECT_TRUE(versionAtLeast("1.10", "1.9.9"));
    EXPECT_TRUE(versionAtLeast("2", "1.99"));
    EXPECT_FALSE(versionAtLeast("1.1.9", "1.2"));
    EXPECT_FALSE(versionAtLeast("1.2", "1.2.1"));
    EXPECT_TRUE(versionAtLeast("1.2.0pre1", "1.2"));
    // libsndfile names itself first, and an experimental build adds a suffix after the number.
    EXPECT_TRUE(versionAtLeast("libsndfile-1.2.2", "1.2.2"));
    EXPECT_TRUE(versionAtLeast("libsndfile-1.0.31-exp", "1.0.31"));
    EXPECT_FALSE(versionAtLeast("libsndfile-1.0.30-exp", "1.0.31"));
    EXPECT_TRUE(audioLibrariesUpToDate());
}

// Run by ctest with SDL_AUDIODRIVER=dummy: SDL's dummy driver takes samples at the device's pace
// without a sound card, so the device path of the clock runs for real.
TEST(MusicDevice, ClockFollowsTheDeviceAndFreezesWhenStopped)
{
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    if (!driver || std::string(driver) != "dummy")
        GTEST_SKIP() << "needs SDL_AUDIODRIVER=dummy";
    TempDir dir;
    const std::string path = dir.file("music.wav");
    ASSERT_TRUE(writeAudioFile(path, AudioFileFormat::Wav, ramp(44100, 2, 44100)));
    MusicStream stream(path);
    ASSERT_FALSE(stream.silent());
    stream.setTime(0.25f);
    stream.play();
    const std::int64_t start = monotonicNanoseconds();
    float last = stream.getTime();
    EXPECT_FLOAT_EQ(last, 0.25f);
    int steps = 0;
    // Past the end of the music (1 s) the clock goes on.
    while (last < 1.1f && monotonicNanoseconds() - start < 10'000 * ms) {
        const float now = stream.getTime();
        ASSERT_GE(now, last);
        steps += now > last ? 1 : 0;
        last = now;
    }
    EXPECT_GE(last, 1.1f);
    EXPECT_GT(steps, 100);
    stream.stop();
    const float stopped = stream.getTime();
    const std::int64_t after = monotonicNanoseconds();
    while (monotonicNanoseconds() - after < 50 * ms) {
    }
    EXPECT_FLOAT_EQ(stream.getTime(), stopped);
}
