// The configuration's tail (script name, times, layer list) and the timeline script it names,
// loading the scenes and layer textures they name from the stand-in demo. The input is the
// tail, a line "----", then the script.
#include "FuzzSupport.h"

#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "timeline/DemoAssets.h"
#include "timeline/Timeline.h"
#include "timeline/TimelineScript.h"

#include <filesystem>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ensureGl();
    const std::string& root = fuzz::standInDemo();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view separator = "\n----\n";
    const std::size_t split = input.find(separator);
    const std::string_view tail = input.substr(0, split);
    const std::string_view script = split == std::string_view::npos
                                        ? std::string_view()
                                        : input.substr(split + separator.size());

    // Every script name the tail may give points at the same script: the first word decides.
    MappedTextFile peek(fuzz::writeFile("demo/tail.txt", std::string(tail)));
    const std::string scriptName(peek.peekWord());
    if (!scriptName.empty() && scriptName.find('/') == std::string::npos && scriptName.size() < 100)
        fuzz::writeFile("demo/" + scriptName + ".txt", std::string(script));

    try {
        DemoAssets assets(DemoPaths{root, "tex", "scn", 4.0f / 3.0f});
        Timeline timeline(assets);
        MappedTextFile config(root + "/tail.txt");
        loadTimeline(timeline, config, 1000);
    } catch (const LoadError&) {
    }
    if (!scriptName.empty() && scriptName.find('/') == std::string::npos &&
        scriptName.size() < 100) {
        std::error_code ignored;
        std::filesystem::remove(root + "/" + scriptName + ".txt", ignored);
    }
    return 0;
}
