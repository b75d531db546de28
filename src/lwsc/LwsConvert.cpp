#include "lwsc/LwsConvert.h"

#include "lwsc/LwsSceneReader.h"
#include "lwsc/LwsSceneWriter.h"
#include "shell/LoadError.h"
#include "shell/MapFile.h"

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
    conversion.text = writeLwsScene(scene, path, conversion.report);
    conversion.version = scene.version;
    conversion.lightCount = scene.lights.size();
    conversion.cameraCount = scene.cameras.size();
    for (std::size_t at = conversion.text.find("\nLoadObjectLayer "); at != std::string::npos;
         at = conversion.text.find("\nLoadObjectLayer ", at + 1))
        ++conversion.objectCount;
    for (std::size_t at = conversion.text.find("\nAddNullObject "); at != std::string::npos;
         at = conversion.text.find("\nAddNullObject ", at + 1))
        ++conversion.objectCount;
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
