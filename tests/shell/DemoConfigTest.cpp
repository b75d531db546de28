#include "shell/DemoConfig.h"
#include "platform/CommandLine.h"
#include "platform/UserSettings.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

static DemoSettings headerOf(const std::string& text)
{
    TempDir dir;
    MappedTextFile file(dir.write("config.txt", text));
    return readDemoHeader(file);
}

TEST(DemoConfig, HeaderSpreadOverLinesReadsTheSameAndLeavesTheLayerList)
{
    TempDir dir;
    MappedTextFile file(dir.write("config.txt", "win\n640\n\n480 32\t24\r\n4 3 music.ogg data tex\n"
                                                "scenes\nmain 0.0 185.5"));
    const DemoSettings settings = readDemoHeader(file);
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_EQ(settings.width, 640);
    EXPECT_EQ(settings.height, 480);
    EXPECT_EQ(settings.colourBits, 32);
    EXPECT_EQ(settings.zBits, 24);
    EXPECT_EQ(settings.musicFile, "music.ogg");
    EXPECT_EQ(settings.rootDir, "data");
    EXPECT_EQ(settings.texturesDir, "tex");
    EXPECT_EQ(settings.scenesDir, "scenes");
    EXPECT_EQ(file.readWord(), "main");

    const DemoPaths paths = DemoPaths::fromSettings(settings);
    EXPECT_EQ(paths.aspect, 4.0f / 3.0f);
    EXPECT_EQ(paths.rootDir, "data");
}

TEST(DemoConfig, OnlyWinAndWindowSelectAWindow)
{
    EXPECT_FALSE(isFullscreenWord("win"));
    EXPECT_FALSE(isFullscreenWord("window"));
    for (const char* word : {"Win", "WINDOW", "windowed", "wind", "fullscreen", ""})
        EXPECT_TRUE(isFullscreenWord(word)) << word;
}

TEST(DemoConfig, NumbersThatDoNotConvertKeepTheirDefaults)
{
    const DemoSettings settings = headerOf("full wide 480.9 x 16 16 9 m r t s");
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_EQ(settings.width, 0);
    EXPECT_EQ(settings.height, 480);
    EXPECT_EQ(settings.colourBits, 0);
    EXPECT_EQ(settings.aspectNumerator, 16.0f);
    EXPECT_EQ(settings.aspectDenominator, 9.0f);
}

TEST(DemoConfig, AspectDenominatorOfZeroOrAMissingAspectIsRefused)
{
    EXPECT_THROW(headerOf("win 640 480 32 24 4 0 m r t s"), LoadError);
    EXPECT_THROW(headerOf("win 640 480 32 24 4 none m r t s"), LoadError);
    EXPECT_THROW(headerOf("win 640 480 32 24 4"), LoadError);
    EXPECT_THROW(headerOf("win 640 480"), LoadError);
    EXPECT_NO_THROW(headerOf("win 640 480 32 24 4 3"));
}

TEST(DemoConfig, UserSettingsOverrideTheHeader)
{
    DemoSettings settings = headerOf("win 640 480 32 24 4 3 m r t s");
    applyUserSettings(settings, UserSettings::fromText("Fullscreen=1\nWidth=1024\nZ=16\n"));
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_EQ(settings.width, 1024);
    EXPECT_EQ(settings.height, 480);
    EXPECT_EQ(settings.colourBits, 32);
    EXPECT_EQ(settings.zBits, 16);
    applyUserSettings(settings, UserSettings::fromText("Fullscreen=0\nDepth=16\nHeight=600\n"));
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_EQ(settings.colourBits, 16);
    EXPECT_EQ(settings.height, 600);
}

TEST(DemoConfig, CommandLineIsTheJoinedArgumentsOrTheDefaultFile)
{
    const char* none[] = {"demoplayer"};
    EXPECT_EQ(configFileName(joinCommandLine(1, none)), "defaultdemoconfig.txt");
    const char* two[] = {"demoplayer", "\"my", "demo.txt\""};
    // Quotes stay part of the name; nothing is split or stripped.
    EXPECT_EQ(configFileName(joinCommandLine(3, two)), "\"my demo.txt\"");
}
