#include "lwsc/LwsConvert.h"

#include "lwsc/LwsSceneReader.h"
#include "lwsc/LwsSceneWriter.h"
#include "shell/MapFile.h"

#include <utility>

namespace {

std::string counted(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

SceneConversion convertScene(std::string_view text, const std::string& path)
{
    SceneConversion conversion;
    const LwsScene scene = readLwsScene(text, path, conversion.report);
    WrittenScene written = writeLwsScene(scene, path, conversion.report);
    conversion.text = std::move(written.text);
    conversion.objectCount = written.objectCount;
    conversion.version = scene.version;
    conversion.lightCount = scene.lights.size();
    conversion.cameraCount = scene.cameras.size();
    return conversion;
}

SceneConversion convertSceneFile(const std::string& path)
{
    const FileMapping mapping = mapFile(path);
    return convertScene(std::string_view(mapping.data(), mapping.size()), path);
}

std::string summaryLine(const SceneConversion& conversion)
{
    const ConversionReport& report = conversion.report;
    std::size_t droppedKinds = 0;
    for (const ConversionReport::Entry& entry : report.entries())
        if (entry.section == ConversionReport::Section::Dropped)
            ++droppedKinds;
    return "version " + std::to_string(conversion.version) + ": " +
           counted(conversion.objectCount, "object", "objects") + ", " +
           counted(conversion.lightCount, "light", "lights") + ", " +
           counted(conversion.cameraCount, "camera", "cameras") + "; dropped " +
           counted(report.count(ConversionReport::Section::Dropped), "line or block",
                   "lines or blocks") +
           " of " + counted(droppedKinds, "kind", "kinds") + ", " +
           counted(report.count(ConversionReport::Section::Defaulted), "default", "defaults") +
           " written, " +
           counted(report.count(ConversionReport::Section::Changed), "change", "changes") +
           " (--report lists them)";
}
