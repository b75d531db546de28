#include "Info.h"

namespace {

std::string mapKind(const LwoVertexMap& map)
{
    std::string type = map.type;
    while (!type.empty() && type.back() == ' ')
        type.pop_back();
    return type + (map.perPolygon ? " (VMAD)" : "");
}

std::string clipFile(const LwoObject& object, std::uint32_t index)
{
    for (const LwoClip& clip : object.clips)
        if (clip.index == index)
            return clip.file.empty() ? "(not a still image)" : clip.file;
    return "(missing image " + std::to_string(index) + ")";
}

} // namespace

std::string describeObject(const LwoObject& object, const std::string& path)
{
    std::string text = path + ": " + object.form + ", " + std::to_string(object.layers.size()) +
                       " layers, " + std::to_string(object.surfaces.size()) + " surfaces, " +
                       std::to_string(object.clips.size()) + " images\n";
    for (const LwoLayer& layer : object.layers) {
        text += "layer " + std::to_string(layer.number + 1) + " \"" + layer.name +
                "\": " + std::to_string(layer.pointCount()) + " points, " +
                std::to_string(layer.polygons.size()) + " polygons";
        if (layer.patchCount > 0)
            text += " (" + std::to_string(layer.patchCount) + " of them subdivision patches)";
        for (const auto& [type, count] : layer.skippedPolygons)
            text += ", " + std::to_string(count) + " " + type + " skipped";
        text += "\n";
        for (const LwoVertexMap& map : layer.maps)
            text += "  map " + mapKind(map) + " \"" + map.name +
                    "\": " + std::to_string(map.size()) +
                    (map.perPolygon ? " corners, " : " points, ") + std::to_string(map.dimension) +
                    " values each\n";
    }
    for (const LwoSurface& surface : object.surfaces) {
        text += "surface \"" + surface.name + "\"";
        if (!surface.imageFile.empty())
            text += ": image \"" + surface.imageFile + "\"";
        for (const LwoImageBlock& block : surface.images) {
            text += "\n  " + block.channel + " image \"" + clipFile(object, block.clip) + "\"";
            if (block.projection == uvProjection)
                text += " on UV map \"" + block.uvMap + "\"";
            else
                text += " (projection " + std::to_string(block.projection) + ", not UV)";
            if (!block.enabled)
                text += " (disabled)";
        }
        text += "\n";
    }
    for (const LwoClip& clip : object.clips)
        text += "image " + std::to_string(clip.index) + ": \"" + clip.file + "\"\n";
    for (const std::string& what : object.unread)
        text += "not read: " + what + "\n";
    return text;
}
