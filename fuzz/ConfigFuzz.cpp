// The configuration header: display words and numbers, aspect pair, music file and folders.
#include "FuzzSupport.h"

#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        MappedTextFile file(fuzz::writeFile("config.txt", data, size));
        const DemoSettings settings = readDemoHeader(file);
        const DemoPaths paths = DemoPaths::fromSettings(settings);
        (void)isFullscreenWord(settings.windowModeWord);
        (void)paths;
    } catch (const LoadError&) {
    }
    return 0;
}
