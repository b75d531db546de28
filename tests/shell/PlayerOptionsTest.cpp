#include "shell/PlayerOptions.h"
#include "platform/UserSettings.h"
#include "shell/DemoConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CommandLineResult parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "demoplayer");
    return parsePlayerCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

} // namespace

TEST(PlayerOptions, WithoutFlagsNothingIsOverridden)
{
    const CommandLineResult result = parse({});
    ASSERT_TRUE(result.options);
    const PlayerOptions& options = *result.options;
    EXPECT_EQ(options.configFile, "");
    EXPECT_FALSE(options.fullscreen || options.width || options.vsync || options.from ||
                 options.to || options.audioOffsetMs);
    EXPECT_FALSE(options.loop || options.author || options.stats);
}

TEST(PlayerOptions, ReadsEveryFlag)
{
    const CommandLineResult result =
        parse({"demo.txt", "--windowed", "--size", "1280x720", "--vsync", "off", "--from", "10.5",
               "--to", "12", "--loop", "--audio-offset", "-40", "--author", "--stats"});
    ASSERT_TRUE(result.options) << result.text;
    const PlayerOptions& options = *result.options;
    EXPECT_EQ(options.configFile, "demo.txt");
    EXPECT_EQ(options.fullscreen, false);
    EXPECT_EQ(options.width, 1280);
    EXPECT_EQ(options.height, 720);
    EXPECT_EQ(options.vsync, false);
    EXPECT_EQ(options.from, 10.5f);
    EXPECT_EQ(options.to, 12.0f);
    EXPECT_TRUE(options.loop && options.author && options.stats);
    EXPECT_EQ(options.audioOffsetMs, -40);
}

TEST(PlayerOptions, AConfigurationInSeveralWordsIsJoinedAsOneCommandLineWouldBe)
{
    const CommandLineResult result = parse({"my", "demo.txt", "--fullscreen"});
    ASSERT_TRUE(result.options);
    EXPECT_EQ(result.options->configFile, "my demo.txt");
    EXPECT_EQ(result.options->fullscreen, true);
}

TEST(PlayerOptions, BadFlagsAndValuesGiveOneLineAndStatusTwo)
{
    const std::vector<std::vector<const char*>> cases = {
        {"--bogus"},
        {"--size", "12"},
        {"--size", "0x480"},
        {"--size", "640x480x2"},
        {"--size", "16385x480"},
        {"--size", "4294967936x480"}, // 640 once wrapped to 32 bits
        {"--size", "640x-480"},
        {"--vsync", "maybe"},
        {"--from", "ten"},
        {"--from", "-1"},
        {"--to", "nan"},
        {"--from", "5", "--to", "5"},
        {"--from", "6", "--to", "5"},
        {"--audio-offset", "1.5"},
        {"--windowed", "--fullscreen"},
        {"--size"},
    };
    for (const auto& arguments : cases) {
        const CommandLineResult result = parse(arguments);
        EXPECT_FALSE(result.options) << arguments[0];
        EXPECT_EQ(result.exitStatus, exitBadUsage) << arguments[0];
        EXPECT_TRUE(result.isError);
        EXPECT_EQ(result.text.rfind("demoplayer: ", 0), 0u) << result.text;
        EXPECT_EQ(result.text.find('\n'), result.text.size() - 1) << result.text;
    }
}

TEST(PlayerOptions, HelpListsTheKeysAndVersionSaysWhichPlayer)
{
    const CommandLineResult help = parse({"--help"});
    EXPECT_FALSE(help.options);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_FALSE(help.isError);
    for (const char* key : {"Space", "Left / Right", "Home", ". and ,", "L ", "F1", "R "})
        EXPECT_NE(help.text.find(key), std::string::npos) << key;
    const CommandLineResult version = parse({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.text.rfind("demoplayer ", 0), 0u);
}

TEST(PlayerOptions, TheCommandLineOverridesTheSettingsFileWhichOverridesTheHeader)
{
    DemoSettings settings;
    settings.fullscreen = false;
    settings.width = 640;
    settings.height = 480;
    applyUserSettings(settings, UserSettings::fromText("VSync=1\nWidth=800\n"));
    EXPECT_EQ(settings.vsync, true);
    EXPECT_EQ(settings.width, 800);
    PlayerOptions options;
    applyCommandLine(settings, options);
    EXPECT_EQ(settings.vsync, true);
    EXPECT_FALSE(settings.fullscreen);
    options.vsync = false;
    options.fullscreen = true;
    options.width = 1920;
    options.height = 1080;
    applyCommandLine(settings, options);
    EXPECT_EQ(settings.vsync, false);
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_EQ(settings.width, 1920);
    EXPECT_EQ(settings.height, 1080);
}
