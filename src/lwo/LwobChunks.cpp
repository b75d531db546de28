#include "lwo/ChunkReader.h"
#include "lwo/LwoChunks.h"

// The older form: one layer, surfaces named in SRFS and numbered from 1 by each polygon,
// 2-byte point indices, and texture images named in the surface's own sub-chunks.
namespace {

constexpr std::size_t subChunkLengthBytes = 2;
constexpr std::size_t chunkLengthBytes = 4;

void readPolygons(ChunkReader& chunk, const LwoObject& object, LwoLayer& layer,
                  std::uint32_t pointBase, std::uint32_t pointCount)
{
    while (!chunk.atEnd()) {
        const std::uint16_t corners = chunk.u2();
        LwoPolygon polygon{static_cast<std::uint32_t>(layer.corners.size()), corners};
        for (std::uint16_t i = 0; i < corners; ++i) {
            const std::size_t at = chunk.offset();
            const std::uint16_t point = chunk.u2();
            if (point >= pointCount)
                chunk.failAt(at, "point index " + std::to_string(point) + " is past the " +
                                     std::to_string(pointCount) + " points of the last PNTS");
            layer.corners.push_back(pointBase + point);
        }
        const std::size_t at = chunk.offset();
        auto surface = static_cast<std::int16_t>(chunk.u2());
        // A negative surface announces detail polygons; they follow as ordinary polygons.
        if (surface < 0) {
            chunk.u2();
            surface = static_cast<std::int16_t>(-surface);
        }
        if (surface == 0 || static_cast<std::size_t>(surface) > object.tags.size())
            chunk.failAt(at, "surface " + std::to_string(surface) + " is not one of the " +
                                 std::to_string(object.tags.size()) + " names of SRFS");
        polygon.surface = surface - 1;
        layer.polygons.push_back(polygon);
    }
}

void readSurface(ChunkReader& chunk, LwoObject& object)
{
    LwoSurface surface;
    surface.name = chunk.s0();
    std::uint32_t texture = 0;
    while (!chunk.atEnd()) {
        ChunkReader sub = chunk.chunk(subChunkLengthBytes);
        const std::string& name = sub.name();
        const std::uint32_t id = chunkId(std::string_view(name).substr(name.size() - 4));
        // Texture settings follow the ?TEX sub-chunk that opens them.
        if (id == chunkId("CTEX") || id == chunkId("DTEX") || id == chunkId("STEX") ||
            id == chunkId("RTEX") || id == chunkId("TTEX") || id == chunkId("LTEX") ||
            id == chunkId("BTEX"))
            texture = id;
        if (id == chunkId("TIMG") && texture == chunkId("CTEX") && surface.imageFile.empty()) {
            std::string file = sub.s0();
            if (file != "(none)")
                surface.imageFile = std::move(file);
        }
    }
    object.surfaces.push_back(std::move(surface));
}

} // namespace

void readLwobChunks(ChunkReader& form, LwoObject& object)
{
    object.layers.emplace_back();
    LwoLayer& layer = object.layers.back();
    std::uint32_t pointBase = 0;
    std::uint32_t pointCount = 0;
    while (!form.atEnd()) {
        ChunkReader chunk = form.chunk(chunkLengthBytes);
        const std::string& name = chunk.name();
        switch (chunkId(name)) {
        case chunkId("PNTS"):
            pointBase = static_cast<std::uint32_t>(layer.pointCount());
            pointCount = readPoints(chunk, layer);
            break;
        case chunkId("SRFS"):
            while (!chunk.atEnd())
                object.tags.push_back(chunk.s0());
            break;
        case chunkId("POLS"):
            readPolygons(chunk, object, layer, pointBase, pointCount);
            break;
        case chunkId("SURF"):
            readSurface(chunk, object);
            break;
        default:
            break;
        }
    }
}
