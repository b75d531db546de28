#include "lwo/ChunkReader.h"
#include "lwo/LwoChunks.h"

namespace {

constexpr std::uint16_t cornerCountMask = 0x03FF; // the 6 high bits are per-type flags
constexpr int curveCountShift = 12;
constexpr std::size_t subChunkLengthBytes = 2;
constexpr std::size_t chunkLengthBytes = 4;

// Indices in POLS, VMAP, VMAD and PTAG name the most recent PNTS and POLS chunk of the layer;
// the layer keeps every chunk's data, so these bases turn them into layer indices.
struct LayerCursor {
    LwoLayer* layer = nullptr;
    std::uint32_t pointBase = 0;
    std::uint32_t pointCount = 0;
    std::uint32_t polygonBase = 0;
    std::uint32_t polygonCount = 0;
    bool polygonsKept = false; // the last POLS was FACE or PTCH
};

std::uint32_t lastId(const ChunkReader& chunk)
{
    return chunkId(std::string_view(chunk.name()).substr(chunk.name().size() - 4));
}

LwoLayer& currentLayer(LwoObject& object, LayerCursor& cursor)
{
    // Data before any LAYR goes into a layer of its own, numbered 0.
    if (!cursor.layer) {
        object.layers.emplace_back();
        cursor = LayerCursor{&object.layers.back()};
    }
    return *cursor.layer;
}

std::uint32_t pointIndex(ChunkReader& chunk, const LayerCursor& cursor)
{
    const std::size_t at = chunk.offset();
    const std::uint32_t index = chunk.vx();
    if (index >= cursor.pointCount)
        chunk.failAt(at, "point index " + std::to_string(index) + " is past the " +
                             std::to_string(cursor.pointCount) + " points of the last PNTS");
    return cursor.pointBase + index;
}

std::uint32_t polygonIndex(ChunkReader& chunk, const LayerCursor& cursor)
{
    const std::size_t at = chunk.offset();
    const std::uint32_t index = chunk.vx();
    if (index >= cursor.polygonCount)
        chunk.failAt(at, "polygon index " + std::to_string(index) + " is past the " +
                             std::to_string(cursor.polygonCount) + " polygons of the last POLS");
    return cursor.polygonBase + index;
}

void readLayer(ChunkReader& chunk, LwoObject& object, LayerCursor& cursor)
{
    LwoLayer layer;
    layer.number = chunk.u2();
    layer.flags = chunk.u2();
    for (float& value : layer.pivot)
        value = chunk.f4();
    layer.name = chunk.s0();
    if (chunk.remaining() >= 2)
        layer.parent = static_cast<std::int16_t>(chunk.u2());
    object.layers.push_back(std::move(layer));
    cursor = LayerCursor{&object.layers.back()};
}

void readPolygons(ChunkReader& chunk, LayerCursor& cursor)
{
    LwoLayer& layer = *cursor.layer;
    const std::string type = chunk.id4();
    const bool kept = type == "FACE" || type == "PTCH";
    std::uint32_t count = 0;
    const auto firstPolygon = static_cast<std::uint32_t>(layer.polygons.size());
    while (!chunk.atEnd()) {
        const std::uint16_t word = chunk.u2();
        // Curves take four of the flag bits as more count bits.
        const auto corners = static_cast<std::uint16_t>(
            type == "CURV" ? (word & cornerCountMask) | ((word >> curveCountShift) << 10)
                           : word & cornerCountMask);
        LwoPolygon polygon{static_cast<std::uint32_t>(layer.corners.size()), corners};
        for (std::uint16_t i = 0; i < corners; ++i) {
            const std::uint32_t point = pointIndex(chunk, cursor);
            if (kept)
                layer.corners.push_back(point);
        }
        if (kept)
            layer.polygons.push_back(polygon);
        ++count;
    }
    cursor.polygonBase = firstPolygon;
    cursor.polygonCount = count;
    cursor.polygonsKept = kept;
    if (type == "PTCH")
        layer.patchCount += count;
    if (kept)
        return;
    for (auto& [skippedType, skippedCount] : layer.skippedPolygons)
        if (skippedType == type) {
            skippedCount += count;
            return;
        }
    layer.skippedPolygons.emplace_back(type, count);
}

void readPolygonTags(ChunkReader& chunk, const LwoObject& object, LayerCursor& cursor)
{
    if (chunk.id4() != "SURF")
        return;
    while (!chunk.atEnd()) {
        const std::uint32_t polygon = polygonIndex(chunk, cursor);
        const std::size_t at = chunk.offset();
        const std::uint16_t tag = chunk.u2();
        if (tag >= object.tags.size())
            chunk.failAt(at, "tag " + std::to_string(tag) + " is past the " +
                                 std::to_string(object.tags.size()) + " strings of TAGS");
        if (cursor.polygonsKept)
            cursor.layer->polygons[polygon].surface = tag;
    }
}

void readVertexMap(ChunkReader& chunk, LayerCursor& cursor, bool perPolygon)
{
    LwoVertexMap map;
    map.type = chunk.id4();
    map.dimension = chunk.u2();
    map.name = chunk.s0();
    map.perPolygon = perPolygon;
    while (!chunk.atEnd()) {
        const std::uint32_t point = pointIndex(chunk, cursor);
        const std::uint32_t polygon = perPolygon ? polygonIndex(chunk, cursor) : 0;
        chunk.f4s(map.dimension, map.values);
        // Corner values of polygons whose type is not kept have nothing to apply to.
        if (perPolygon && !cursor.polygonsKept) {
            map.values.resize(map.values.size() - map.dimension);
            continue;
        }
        map.points.push_back(point);
        if (perPolygon)
            map.polygons.push_back(polygon);
    }
    cursor.layer->maps.push_back(std::move(map));
}

void readClip(ChunkReader& chunk, LwoObject& object)
{
    LwoClip clip;
    clip.index = chunk.u4();
    while (!chunk.atEnd()) {
        ChunkReader sub = chunk.chunk(subChunkLengthBytes);
        if (lastId(sub) == chunkId("STIL"))
            clip.file = sub.s0();
    }
    object.clips.push_back(std::move(clip));
}

LwoImageBlock readBlock(ChunkReader& block, bool& isImage)
{
    LwoImageBlock image;
    ChunkReader header = block.chunk(subChunkLengthBytes);
    isImage = lastId(header) == chunkId("IMAP");
    header.s0(); // ordinal: the stacking order, which one block per channel does not need
    while (!header.atEnd()) {
        ChunkReader sub = header.chunk(subChunkLengthBytes);
        switch (lastId(sub)) {
        case chunkId("CHAN"):
            image.channel = sub.id4();
            break;
        case chunkId("ENAB"):
            image.enabled = sub.u2() != 0;
            break;
        default:
            break;
        }
    }
    while (!block.atEnd()) {
        ChunkReader sub = block.chunk(subChunkLengthBytes);
        switch (lastId(sub)) {
        case chunkId("PROJ"):
            image.projection = sub.u2();
            break;
        case chunkId("IMAG"):
            image.clip = sub.vx();
            break;
        case chunkId("VMAP"):
            image.uvMap = sub.s0();
            break;
        default:
            break;
        }
    }
    return image;
}

void readSurface(ChunkReader& chunk, LwoObject& object)
{
    LwoSurface surface;
    surface.name = chunk.s0();
    chunk.s0(); // source surface
    while (!chunk.atEnd()) {
        ChunkReader sub = chunk.chunk(subChunkLengthBytes);
        if (lastId(sub) != chunkId("BLOK"))
            continue;
        bool isImage = false;
        LwoImageBlock image = readBlock(sub, isImage);
        if (isImage)
            surface.images.push_back(std::move(image));
    }
    object.surfaces.push_back(std::move(surface));
}

} // namespace

std::uint32_t readPoints(ChunkReader& chunk, LwoLayer& layer)
{
    constexpr std::size_t pointBytes = 12;
    if (chunk.remaining() % pointBytes != 0)
        chunk.fail("length " + std::to_string(chunk.remaining()) +
                   " is not a whole number of points");
    const auto count = static_cast<std::uint32_t>(chunk.remaining() / pointBytes);
    chunk.f4s(3u * std::size_t{count}, layer.positions);
    return count;
}

void readLwo2Chunks(ChunkReader& form, LwoObject& object)
{
    LayerCursor cursor;
    while (!form.atEnd()) {
        ChunkReader chunk = form.chunk(chunkLengthBytes);
        switch (lastId(chunk)) {
        case chunkId("LAYR"):
            readLayer(chunk, object, cursor);
            break;
        case chunkId("PNTS"): {
            LwoLayer& layer = currentLayer(object, cursor);
            cursor.pointBase = static_cast<std::uint32_t>(layer.pointCount());
            cursor.pointCount = readPoints(chunk, layer);
            break;
        }
        case chunkId("POLS"):
            currentLayer(object, cursor);
            readPolygons(chunk, cursor);
            break;
        case chunkId("PTAG"):
            currentLayer(object, cursor);
            readPolygonTags(chunk, object, cursor);
            break;
        case chunkId("VMAP"):
        case chunkId("VMAD"):
            currentLayer(object, cursor);
            readVertexMap(chunk, cursor, lastId(chunk) == chunkId("VMAD"));
            break;
        case chunkId("TAGS"):
            while (!chunk.atEnd())
                object.tags.push_back(chunk.s0());
            break;
        case chunkId("CLIP"):
            readClip(chunk, object);
            break;
        case chunkId("SURF"):
            readSurface(chunk, object);
            break;
        case chunkId("FORM"):
            // LWO3 keeps LWO2's geometry chunks and nests its surfaces and clips as forms.
            if (object.form == "LWO3")
                readLwo3Form(chunk, object);
            break;
        default:
            break; // unknown chunks are skipped by their length
        }
    }
}
