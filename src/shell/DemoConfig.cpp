#include "shell/DemoConfig.h"

#include "platform/UserSettings.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "shell/PlayerOptions.h"

std::string configFileName(const std::string& commandLine)
{
    return commandLine.empty() ? std::string("defaultdemoconfig.txt") : commandLine;
}

bool isFullscreenWord(const std::string& word)
{
    return word != "win" && word != "window";
}

static void requireAspectWord(MappedTextFile& file)
{
    file.skipBlanks();
    if (file.atEnd())
        throw LoadError("The configuration header of " + file.path() +
                        " ends before its aspect ratio");
}

DemoSettings readDemoHeader(MappedTextFile& file)
{
    DemoSettings settings;
    settings.windowModeWord = file.readWord();
    settings.fullscreen = isFullscreenWord(settings.windowModeWord);
    file.readInt(settings.width);
    file.readInt(settings.height);
    file.readInt(settings.colourBits);
    file.readInt(settings.zBits);
    requireAspectWord(file);
    file.readFloat(settings.aspectNumerator);
    requireAspectWord(file);
    file.readFloat(settings.aspectDenominator);
    if (settings.aspectDenominator == 0.0f)
        throw LoadError("The aspect ratio denominator in " + file.path() + " is 0");
    settings.musicFile = file.readWord();
    settings.rootDir = file.readWord();
    settings.texturesDir = file.readWord();
    settings.scenesDir = file.readWord();
    return settings;
}

void applyUserSettings(DemoSettings& settings, const UserSettings& overrides)
{
    if (auto value = overrides.value("Fullscreen"))
        settings.fullscreen = *value != 0;
    if (auto value = overrides.value("Depth"))
        settings.colourBits = *value;
    if (auto value = overrides.value("Z"))
        settings.zBits = *value;
    if (auto value = overrides.value("Height"))
        settings.height = *value;
    if (auto value = overrides.value("Width"))
        settings.width = *value;
    if (auto value = overrides.value("VSync"))
        settings.vsync = *value != 0;
    if (auto value = overrides.value("Anisotropy"))
        settings.anisotropy = static_cast<float>(*value);
    if (auto value = overrides.value("Stats"))
        settings.stats = *value != 0;
}

void applyCommandLine(DemoSettings& settings, const PlayerOptions& options)
{
    if (options.fullscreen)
        settings.fullscreen = *options.fullscreen;
    if (options.width && options.height) {
        settings.width = *options.width;
        settings.height = *options.height;
    }
    if (options.vsync)
        settings.vsync = *options.vsync;
    if (options.stats)
        settings.stats = true;
}

DemoPaths DemoPaths::fromSettings(const DemoSettings& settings)
{
    return {settings.rootDir, settings.texturesDir, settings.scenesDir,
            settings.aspectNumerator / settings.aspectDenominator};
}
