#include "platform/UserSettings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(UserSettings, NamesMatchCaseInsensitivelyAndValuesParseDecimalOrHex)
{
    const auto settings = UserSettings::fromText("# display overrides\n"
                                                 "fullscreen=0\n"
                                                 "  Width = 0x400 \r\n"
                                                 "HEIGHT=-1\n"
                                                 "Depth=32\n");
    EXPECT_EQ(settings.value("Fullscreen"), 0);
    EXPECT_EQ(settings.value("Width"), 1024);
    EXPECT_EQ(settings.value("Height"), -1);
    EXPECT_EQ(settings.value("depth"), 32);
    EXPECT_FALSE(settings.value("Z").has_value());
}

TEST(UserSettings, UnparsableValuesAndUnknownLinesChangeNothing)
{
    const auto settings = UserSettings::fromText("Z=24bits\n"
                                                 "Width=\n"
                                                 "Height=99999999999\n"
                                                 "just some words\n"
                                                 "#Depth=16\n"
                                                 "Colour=7\n"
                                                 "Depth=0xFFFFFFFF\n");
    EXPECT_FALSE(settings.value("Z").has_value());
    EXPECT_FALSE(settings.value("Width").has_value());
    EXPECT_FALSE(settings.value("Height").has_value());
    // The full 32 bits of a DWORD come back as the signed value the program stores.
    EXPECT_EQ(settings.value("Depth"), -1);
}

TEST(UserSettings, FileUnderXdgConfigHomeIsReadAndNeverCreated)
{
    TempDir dir;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);

    EXPECT_EQ(UserSettings::filePath(), dir.file("Brindlex/Staverly/Quillomark.conf"));
    EXPECT_FALSE(UserSettings::load().value("Width").has_value());
    EXPECT_FALSE(std::filesystem::exists(dir.file("Brindlex")));

    dir.write("Brindlex/Staverly/Quillomark.conf", "Width=800\nZ=16\n");
    const auto loaded = UserSettings::load();
    EXPECT_EQ(loaded.value("Width"), 800);
    EXPECT_EQ(loaded.value("z"), 16);

    if (saved)
        ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}
