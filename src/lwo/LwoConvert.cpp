#include "lwo/LwoConvert.h"

#include "lwo/CornerValues.h"
#include "lwo/Triangulate.h"
#include "shell/LoadError.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace {

constexpr std::size_t po2CountLimit = std::numeric_limits<std::uint16_t>::max();
constexpr std::size_t maxBones = 255; // triangle bone indices 0 to 254
constexpr float unmappedUv[2] = {0.0f, 0.0f};
constexpr float unmappedColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};

struct Context {
    const LwoObject& object;
    const LwoLayer& layer;
    const std::string& path;

    [[noreturn]] void fail(const std::string& what) const
    {
        throw LoadError("Cannot convert LightWave object " + path + ": " + what);
    }

    void checkCount(std::size_t count, const char* what) const
    {
        if (count > po2CountLimit)
            fail(std::to_string(count) + " " + what + ", " + std::to_string(count - po2CountLimit) +
                 " more than the 65535 a PO2 file holds");
    }

    bool hasMap(const std::vector<std::string>& types, const std::string& name) const
    {
        return std::any_of(layer.maps.begin(), layer.maps.end(), [&](const LwoVertexMap& map) {
            return map.name == name &&
                   std::find(types.begin(), types.end(), map.type) != types.end();
        });
    }

    // Names of the layer's maps of these types, first appearance first.
    std::vector<std::string> mapNames(const std::vector<std::string>& types) const
    {
        std::vector<std::string> names;
        for (const LwoVertexMap& map : layer.maps)
            if (std::find(types.begin(), types.end(), map.type) != types.end() &&
                std::find(names.begin(), names.end(), map.name) == names.end())
                names.push_back(map.name);
        return names;
    }
};

const std::vector<std::string> uvTypes = {"TXUV"};
const std::vector<std::string> colourTypes = {"RGB ", "RGBA"};

const LwoLayer& findLayer(const LwoObject& object, int number, const std::string& path)
{
    for (const LwoLayer& layer : object.layers)
        if (static_cast<int>(layer.number) + 1 == number)
            return layer;
    std::string have;
    for (const LwoLayer& layer : object.layers)
        have += (have.empty() ? "" : ", ") + std::to_string(layer.number + 1);
    throw LoadError("Cannot convert LightWave object " + path + ": it has no layer " +
                    std::to_string(number) + " (layers: " + (have.empty() ? "none" : have) + ")");
}

// The first enabled, UV-projected colour image block with a still image among the surfaces the
// layer's polygons use, in surface order.
const LwoImageBlock* colourImage(const Context& context, std::string& imageFile,
                                 std::vector<std::string>& dropped)
{
    std::set<std::string> used;
    for (const LwoPolygon& polygon : context.layer.polygons)
        if (polygon.surface >= 0 &&
            static_cast<std::size_t>(polygon.surface) < context.object.tags.size())
            used.insert(context.object.tags[static_cast<std::size_t>(polygon.surface)]);
    for (const LwoSurface& surface : context.object.surfaces) {
        if (!used.count(surface.name))
            continue;
        if (!surface.imageFile.empty()) {
            imageFile = surface.imageFile;
            return nullptr;
        }
        for (const LwoImageBlock& block : surface.images) {
            if (!block.enabled || block.channel != "COLR")
                continue;
            for (const LwoClip& clip : context.object.clips) {
                if (clip.index != block.clip || clip.file.empty())
                    continue;
                if (block.projection == uvProjection) {
                    imageFile = clip.file;
                    return &block;
                }
                dropped.push_back("texture \"" + textureBaseName(clip.file) + "\" (projection " +
                                  std::to_string(block.projection) + ", not UV)");
            }
        }
    }
    return nullptr;
}

// Polygons as they go into the file, the layer's own or triangles cut from them, flat: output
// polygon i has sizes[i] corners, each a position in layer.corners, and came from layer
// polygon sources[i].
struct OutPolygons {
    std::vector<std::uint32_t> sources;
    std::vector<std::uint16_t> sizes;
    std::vector<std::uint32_t> corners;

    std::size_t size() const { return sources.size(); }

    // Calls visit(source polygon, layer corner position) for every corner in file order.
    template <class Visit> void forEachCorner(Visit visit) const
    {
        std::size_t next = 0;
        for (std::size_t p = 0; p < sources.size(); ++p)
            for (std::uint16_t c = 0; c < sizes[p]; ++c)
                visit(sources[p], corners[next++]);
    }
};

OutPolygons outputPolygons(const Context& context, bool triangles,
                           std::vector<std::string>& dropped)
{
    const LwoLayer& layer = context.layer;
    OutPolygons out;
    out.sources.reserve(layer.polygons.size());
    out.sizes.reserve(layer.polygons.size());
    out.corners.reserve(layer.corners.size());
    std::size_t small = 0;
    std::vector<std::array<std::uint32_t, 3>> cut;
    for (std::uint32_t p = 0; p < layer.polygons.size(); ++p) {
        const LwoPolygon& polygon = layer.polygons[p];
        if (polygon.cornerCount < 3) {
            ++small;
            continue;
        }
        if (!triangles) {
            out.sources.push_back(p);
            out.sizes.push_back(static_cast<std::uint16_t>(polygon.cornerCount));
            for (std::uint32_t c = 0; c < polygon.cornerCount; ++c)
                out.corners.push_back(polygon.firstCorner + c);
            continue;
        }
        cut.clear();
        triangulate(layer.positions, layer.corners.data() + polygon.firstCorner,
                    polygon.cornerCount, cut);
        for (const auto& triangle : cut) {
            out.sources.push_back(p);
            out.sizes.push_back(3);
            for (std::uint32_t corner : triangle)
                out.corners.push_back(polygon.firstCorner + corner);
        }
    }
    if (small > 0)
        dropped.push_back(std::to_string(small) +
                          " polygons of fewer than 3 points (no surface to draw)");
    for (const auto& [type, count] : layer.skippedPolygons)
        dropped.push_back(std::to_string(count) + " " + type + " polygons (not drawn as faces)");
    return out;
}

template <std::size_t N>
void cornerSection(const Context& context, const OutPolygons& polygons,
                   const std::vector<std::string>& types, const std::string& name,
                   const float* unmapped, const char* what, std::vector<float>& values,
                   std::vector<std::uint16_t>& indices, std::vector<std::string>& dropped)
{
    const CornerValues lookup(context.layer, types, name);
    // RGB maps have three values; their alpha is 1.
    const std::size_t needed = N == 4 ? 3 : N;
    if (lookup.dimension() < needed)
        context.fail(std::string(what) + " map \"" + name + "\" has " +
                     std::to_string(lookup.dimension()) + " values per point, not " +
                     std::to_string(needed));
    ValueTable<N> table;
    auto add = [&](const float* value) {
        float full[N];
        for (std::size_t i = 0; i < N; ++i)
            full[i] = !value ? unmapped[i] : i < lookup.dimension() ? value[i] : 1.0f;
        return table.add(full);
    };
    // Most corners take their point's value: each point's entry is looked up once.
    constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> pointEntry(context.layer.pointCount(), none);
    std::vector<std::uint32_t> wide;
    wide.reserve(polygons.corners.size());
    std::size_t unmappedCorners = 0;
    polygons.forEachCorner([&](std::uint32_t polygon, std::uint32_t corner) {
        const std::uint32_t point = context.layer.corners[corner];
        if (const float* own = lookup.cornerValue(polygon, point)) {
            wide.push_back(add(own));
            return;
        }
        const float* value = lookup.pointValue(point);
        unmappedCorners += value ? 0 : 1;
        if (pointEntry[point] == none)
            pointEntry[point] = add(value);
        wide.push_back(pointEntry[point]);
    });
    context.checkCount(table.size(), (std::string("distinct ") + what + " values").c_str());
    values = std::move(table.values);
    indices.assign(wide.begin(), wide.end());
    if (unmappedCorners > 0)
        dropped.push_back(std::to_string(unmappedCorners) + " corners without a value in \"" +
                          name + "\" (given the default)");
}

void addMorphs(const Context& context, Conversion& result)
{
    const LwoLayer& layer = context.layer;
    std::vector<std::int32_t> slot(layer.pointCount(), -1);
    for (const LwoVertexMap& map : layer.maps) {
        const bool relative = map.type == "MORF";
        if ((!relative && map.type != "SPOT") || map.perPolygon)
            continue;
        if (map.dimension < 3)
            context.fail("morph map \"" + map.name + "\" has " + std::to_string(map.dimension) +
                         " values per point, not 3");
        std::vector<MorphDelta> deltas;
        for (std::size_t i = 0; i < map.size(); ++i) {
            const std::uint32_t point = map.points[i];
            const float* value = map.values.data() + i * map.dimension;
            MorphDelta delta{value[0], value[1], value[2], static_cast<std::uint16_t>(point)};
            if (!relative) {
                delta.dx -= layer.positions[3u * point];
                delta.dy -= layer.positions[3u * point + 1];
                delta.dz -= layer.positions[3u * point + 2];
            }
            // A point listed twice keeps its last value, as a later entry overrides.
            if (slot[point] >= 0) {
                deltas[static_cast<std::size_t>(slot[point])] = delta;
                continue;
            }
            slot[point] = static_cast<std::int32_t>(deltas.size());
            deltas.push_back(delta);
        }
        for (const MorphDelta& delta : deltas)
            slot[delta.vertex] = -1;
        // Points the map lists without moving them need no delta.
        std::erase_if(deltas, [](const MorphDelta& d) {
            return d.dx == 0.0f && d.dy == 0.0f && d.dz == 0.0f;
        });
        result.mesh.morphSizes.push_back(static_cast<std::uint16_t>(deltas.size()));
        result.mesh.morphDeltas.insert(result.mesh.morphDeltas.end(), deltas.begin(), deltas.end());
        result.morphNames.push_back(map.name);
    }
    context.checkCount(result.morphNames.size(), "morph maps");
    for (const LwoVertexMap& map : layer.maps)
        if (map.perPolygon && (map.type == "MORF" || map.type == "SPOT" || map.type == "WGHT"))
            result.dropped.push_back(map.type + " VMAD \"" + map.name +
                                     "\" (PO2 holds these per point only)");
}

void addWeights(const Context& context, const OutPolygons& triangles, Conversion& result)
{
    const LwoLayer& layer = context.layer;
    const std::size_t pointCount = layer.pointCount();
    std::vector<std::vector<float>> weights(result.boneMaps.size(),
                                            std::vector<float>(pointCount, 0.0f));
    for (std::size_t bone = 0; bone < result.boneMaps.size(); ++bone)
        for (const LwoVertexMap& map : layer.maps) {
            if (map.type != "WGHT" || map.perPolygon || map.name != result.boneMaps[bone])
                continue;
            if (map.dimension < 1)
                context.fail("weight map \"" + map.name + "\" has no values");
            for (std::size_t i = 0; i < map.size(); ++i)
                weights[bone][map.points[i]] = map.values[i * map.dimension];
        }
    // A point takes the weight of the bone that holds it most strongly; a triangle goes to the
    // bone whose weights over its three points sum highest (the lower index on a tie).
    result.mesh.vertexWeights.assign(pointCount, 0.0f);
    for (std::size_t point = 0; point < pointCount; ++point) {
        float strongest = 0.0f;
        for (const std::vector<float>& bone : weights)
            if (std::fabs(bone[point]) > std::fabs(strongest))
                strongest = bone[point];
        result.mesh.vertexWeights[point] = strongest;
    }
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        const std::uint32_t* corners = triangles.corners.data() + 3 * t;
        std::size_t best = 0;
        float bestSum = -std::numeric_limits<float>::infinity();
        for (std::size_t bone = 0; bone < weights.size(); ++bone) {
            float sum = 0.0f;
            for (int c = 0; c < 3; ++c)
                sum += weights[bone][layer.corners[corners[c]]];
            if (sum > bestSum) {
                bestSum = sum;
                best = bone;
            }
        }
        result.mesh.triangleBones.push_back(static_cast<std::int16_t>(best));
    }
}

} // namespace

std::string textureBaseName(const std::string& file)
{
    const std::size_t folder = file.find_last_of("/\\:");
    std::string base = folder == std::string::npos ? file : file.substr(folder + 1);
    const std::size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0)
        base.erase(dot);
    return base;
}

namespace {

// The weight maps that become bones: the ones asked for, else every one by name. True when the
// layer is weighted: it has bones and polygons to carry them, which makes it triangles.
bool chooseBones(const Context& context, const ConvertOptions& options, Conversion& result)
{
    result.boneMaps = options.boneMaps;
    for (const std::string& name : result.boneMaps)
        if (!context.hasMap({"WGHT"}, name))
            context.fail("layer " + std::to_string(options.layer) + " has no weight map \"" + name +
                         "\"");
    if (result.boneMaps.empty()) {
        result.boneMaps = context.mapNames({"WGHT"});
        std::sort(result.boneMaps.begin(), result.boneMaps.end());
    }
    if (result.boneMaps.size() > maxBones)
        context.fail(std::to_string(result.boneMaps.size()) + " weight maps, " +
                     std::to_string(result.boneMaps.size() - maxBones) +
                     " more than the 255 bones a PO2 file holds");
    return !result.boneMaps.empty() && !context.layer.polygons.empty();
}

void addPolygons(const Context& context, const OutPolygons& polygons, bool weighted,
                 Conversion& result)
{
    Po2Description& mesh = result.mesh;
    const LwoLayer& layer = context.layer;
    context.checkCount(polygons.size(), weighted ? "triangles" : "polygons");
    if (!weighted)
        mesh.polygonSizes = polygons.sizes;
    mesh.vertexIndices.reserve(polygons.corners.size());
    for (std::uint32_t corner : polygons.corners)
        mesh.vertexIndices.push_back(static_cast<std::uint16_t>(layer.corners[corner]));
    result.cornerCount = mesh.vertexIndices.size();
    mesh.positions = layer.positions;
    if (polygons.size() > 0)
        mesh.flags |= MeshFlag::Polygons;
}

// Set 0 from the colour image's UV map, else the first UV map; set 1 from --uv1, else the next
// map, unless an environment texture takes texture 1. Returns every UV map of the layer.
std::vector<std::string> addTextureCoordinates(const Context& context,
                                               const ConvertOptions& options,
                                               const OutPolygons& polygons, Conversion& result)
{
    Po2Description& mesh = result.mesh;
    const bool hasPolygons = polygons.size() > 0;
    std::string imageFile;
    const LwoImageBlock* image = colourImage(context, imageFile, result.dropped);
    const std::vector<std::string> uvMaps = context.mapNames(uvTypes);
    if (image && !image->uvMap.empty() && context.hasMap(uvTypes, image->uvMap))
        result.uv0Map = image->uvMap;
    else if (!uvMaps.empty())
        result.uv0Map = uvMaps.front();
    if (!options.uv1Map.empty()) {
        if (!context.hasMap(uvTypes, options.uv1Map))
            context.fail("layer " + std::to_string(options.layer) + " has no UV map \"" +
                         options.uv1Map + "\"");
        result.uv1Map = options.uv1Map;
    } else {
        for (const std::string& name : uvMaps)
            if (name != result.uv0Map) {
                result.uv1Map = name;
                break;
            }
    }
    if (hasPolygons && !result.uv0Map.empty()) {
        mesh.flags |= MeshFlag::TexCoords0;
        mesh.texture0Name = imageFile.empty() ? "" : textureBaseName(imageFile);
        cornerSection<2>(context, polygons, uvTypes, result.uv0Map, unmappedUv,
                         "texture coordinate", mesh.texCoords0, mesh.texCoord0Indices,
                         result.dropped);
    } else if (!imageFile.empty()) {
        result.dropped.push_back("texture \"" + textureBaseName(imageFile) +
                                 "\" (no UV map to place it)");
    }
    if (!options.environmentName.empty()) {
        mesh.flags |= MeshFlag::EnvironmentTexture;
        mesh.environmentTextureName = options.environmentName;
        if (!result.uv1Map.empty())
            result.dropped.push_back("UV map \"" + result.uv1Map +
                                     "\" for set 1 (the environment texture takes texture 1)");
        result.uv1Map.clear();
    }
    if (hasPolygons && !result.uv1Map.empty()) {
        mesh.flags |= MeshFlag::TexCoords1;
        mesh.texture1Name = options.texture1Name;
        cornerSection<2>(context, polygons, uvTypes, result.uv1Map, unmappedUv,
                         "texture coordinate", mesh.texCoords1, mesh.texCoord1Indices,
                         result.dropped);
    }
    return uvMaps;
}

// The first colour map; the others, and the UV maps neither set took, are reported dropped.
void addColours(const Context& context, const OutPolygons& polygons,
                const std::vector<std::string>& uvMaps, Conversion& result)
{
    Po2Description& mesh = result.mesh;
    const std::vector<std::string> colourMaps = context.mapNames(colourTypes);
    if (polygons.size() > 0 && !colourMaps.empty()) {
        result.colourMap = colourMaps.front();
        mesh.flags |= MeshFlag::Colours;
        cornerSection<4>(context, polygons, colourTypes, result.colourMap, unmappedColour, "colour",
                         mesh.colours, mesh.colourIndices, result.dropped);
    }
    for (std::size_t i = 1; i < colourMaps.size(); ++i)
        result.dropped.push_back("colour map \"" + colourMaps[i] + "\" (PO2 holds one)");
    for (std::size_t i = 0; i < uvMaps.size(); ++i)
        if (uvMaps[i] != result.uv0Map && uvMaps[i] != result.uv1Map)
            result.dropped.push_back("UV map \"" + uvMaps[i] + "\" (PO2 holds two)");
}

void checkTextureNames(const Context& context, const Po2Description& mesh)
{
    for (const std::string* name :
         {&mesh.texture0Name, &mesh.texture1Name, &mesh.environmentTextureName})
        if (name->size() > maxWordLength)
            context.fail("texture name \"" + name->substr(0, 40) + "...\" is longer than " +
                         std::to_string(maxWordLength) + " characters");
}

} // namespace

Conversion convertLayer(const LwoObject& object, const ConvertOptions& options,
                        const std::string& path)
{
    const Context context{object, findLayer(object, options.layer, path), path};
    Conversion result;
    context.checkCount(context.layer.pointCount(), "points");
    // Bones first: weights need triangles.
    const bool weighted = chooseBones(context, options, result);
    const OutPolygons polygons = outputPolygons(context, weighted, result.dropped);
    addPolygons(context, polygons, weighted, result);
    const std::vector<std::string> uvMaps =
        addTextureCoordinates(context, options, polygons, result);
    addColours(context, polygons, uvMaps, result);
    addMorphs(context, result);
    if (!result.morphNames.empty())
        result.mesh.flags |= MeshFlag::Morphs;
    if (weighted) {
        result.mesh.flags |= MeshFlag::TrianglesOnly | MeshFlag::VertexWeights;
        addWeights(context, polygons, result);
    } else if (!result.boneMaps.empty()) {
        result.dropped.push_back("weight maps (no polygons to carry bones)");
        result.boneMaps.clear();
    }
    checkTextureNames(context, result.mesh);
    // LWO3 parts the reader did not understand: nothing was taken from them.
    result.dropped.insert(result.dropped.end(), object.unread.begin(), object.unread.end());
    return result;
}

std::string summaryLine(const Conversion& conversion)
{
    const Po2Description& mesh = conversion.mesh;
    const std::size_t polygons = (mesh.flags & MeshFlag::TrianglesOnly)
                                     ? mesh.vertexIndices.size() / 3
                                     : mesh.polygonSizes.size();
    std::string line = std::to_string(mesh.positions.size() / 3) + " vertices, " +
                       std::to_string(polygons) +
                       ((mesh.flags & MeshFlag::TrianglesOnly) ? " triangles, " : " polygons, ") +
                       std::to_string(conversion.cornerCount) + " corners";
    auto quoted = [](const std::vector<std::string>& names) {
        std::string text;
        for (const std::string& name : names)
            text += (text.empty() ? "\"" : ", \"") + name + "\"";
        return text;
    };
    if (mesh.flags & MeshFlag::TexCoords0)
        line += "; UV set 0 \"" + conversion.uv0Map + "\" (texture \"" + mesh.texture0Name + "\")";
    if (mesh.flags & MeshFlag::TexCoords1)
        line += "; UV set 1 \"" + conversion.uv1Map + "\" (texture \"" + mesh.texture1Name + "\")";
    if (mesh.flags & MeshFlag::EnvironmentTexture)
        line += "; environment texture \"" + mesh.environmentTextureName + "\"";
    if (mesh.flags & MeshFlag::Colours)
        line += "; colours \"" + conversion.colourMap + "\"";
    if (!conversion.morphNames.empty())
        line += "; morphs " + quoted(conversion.morphNames);
    if (!conversion.boneMaps.empty())
        line += "; bones " + quoted(conversion.boneMaps);
    line += "; dropped: ";
    if (conversion.dropped.empty())
        line += "nothing";
    for (std::size_t i = 0; i < conversion.dropped.size(); ++i)
        line += (i ? ", " : "") + conversion.dropped[i];
    return line;
}
