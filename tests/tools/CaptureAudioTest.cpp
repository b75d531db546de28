#include "FrameSink.h"

#include <gtest/gtest.h>

TEST(CaptureAudio, SegmentIsTheMusicOfTheSpanPaddedWithSilence)
{
    DecodedAudio music;
    music.sampleRate = 100;
    music.channels = 2;
    for (int i = 0; i < 150; ++i) {
        music.samples.push_back(static_cast<float>(i));
        music.samples.push_back(static_cast<float>(-i));
    }
    // 0.25 s to 2.005 s: 176 frames (round(1.755 × 100)) from frame 25, the music ends at 150.
    const DecodedAudio segment = audioSegment(audioSpan(music, 0.25f, 2.005f));
    ASSERT_EQ(segment.channels, 2);
    ASSERT_EQ(segment.frameCount(), 176);
    EXPECT_EQ(segment.samples[0], 25.0f);
    EXPECT_EQ(segment.samples[1], -25.0f);
    EXPECT_EQ(segment.samples[2 * 124], 149.0f);
    EXPECT_EQ(segment.samples[2 * 125], 0.0f);
    EXPECT_EQ(segment.samples.back(), 0.0f);
    EXPECT_EQ(audioSegment(audioSpan(music, 3.0f, 4.0f)).frameCount(), 100);
    // A capture stopped early keeps the audio of the frames it wrote.
    EXPECT_EQ(audioSegment(audioSpan(music, 0.25f, 2.005f), 10).frameCount(), 10);
    EXPECT_EQ(audioFramesFor(3, *parseFrameRate("30000/1001"), 48000), 4805);
}

TEST(CaptureOutput, KindFollowsThePath)
{
    EXPECT_EQ(outputKindFor("frames/"), OutputKind::PngFolder);
    EXPECT_EQ(outputKindFor("."), OutputKind::PngFolder);
    EXPECT_EQ(outputKindFor("out.mp4"), OutputKind::Mp4);
    EXPECT_EQ(outputKindFor("dir/OUT.MKV"), OutputKind::Mkv);
    EXPECT_FALSE(outputKindFor("out.avi"));
    EXPECT_FALSE(outputKindFor("frames"));
    EXPECT_FALSE(outputKindFor(""));
}
