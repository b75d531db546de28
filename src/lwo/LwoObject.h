#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A LightWave object as the converter needs it: plain data, indices already checked against the
// arrays they name. Built by readLwo from LWO2 or LWOB files.

// One polygon of a layer: its corners are corners[firstCorner, firstCorner + cornerCount).
struct LwoPolygon {
    std::uint32_t firstCorner = 0;
    std::uint32_t cornerCount = 0;
    std::int32_t surface = -1; // index into LwoObject::tags (LWO2) or surface names; -1 none
};

// A vertex map: per point (VMAP) or per polygon corner (VMAD). values holds dimension floats per
// entry; points[i] is a point of the layer, polygons[i] (VMAD only) a polygon of the layer.
struct LwoVertexMap {
    std::string type; // "TXUV", "RGB ", "RGBA", "MORF", "SPOT", "WGHT", or any other ID
    std::string name;
    std::uint16_t dimension = 0;
    bool perPolygon = false; // VMAD
    std::vector<std::uint32_t> points;
    std::vector<std::uint32_t> polygons;
    std::vector<float> values;

    std::size_t size() const { return points.size(); }
};

struct LwoLayer {
    std::uint16_t number = 0; // the LAYR number, counted from 0
    std::uint16_t flags = 0;
    std::string name;
    float pivot[3] = {0.0f, 0.0f, 0.0f};
    std::int32_t parent = -1;
    std::vector<float> positions; // x, y, z per point
    std::vector<std::uint32_t> corners;
    std::vector<LwoPolygon> polygons; // FACE and PTCH polygons, in file order
    std::vector<LwoVertexMap> maps;   // VMAP and VMAD chunks, in file order
    std::uint32_t patchCount = 0;     // PTCH polygons, kept as their cage polygons
    // Polygons of other types (CURV, MBAL, BONE, ...), by type, not kept.
    std::vector<std::pair<std::string, std::uint32_t>> skippedPolygons;

    std::size_t pointCount() const { return positions.size() / 3; }
};

// An image texture block of a surface.
struct LwoImageBlock {
    std::string channel; // "COLR", "DIFF", ...
    std::uint16_t projection = 0;
    std::uint32_t clip = 0; // CLIP index, 0 for none
    std::string uvMap;      // TXUV map name, for the UV projection
    bool enabled = true;
};

struct LwoSurface {
    std::string name;
    std::vector<LwoImageBlock> images;
    std::string imageFile; // LWOB: the file name of the first texture image
};

struct LwoClip {
    std::uint32_t index = 0;
    std::string file; // still image file name, neutral path form; empty for other sources
};

struct LwoObject {
    std::string form; // "LWO2", "LWO3" or "LWOB"
    std::vector<std::string> tags;
    std::vector<LwoLayer> layers;
    std::vector<LwoSurface> surfaces;
    std::vector<LwoClip> clips;
    // LWO3 parts the reader does not understand (envelopes, node surfaces, other image
    // sources), one line each, for the converter's report.
    std::vector<std::string> unread;
};

// UV projection in an image block.
constexpr std::uint16_t uvProjection = 5;
