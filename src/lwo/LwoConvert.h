#pragma once

#include "lwo/LwoObject.h"
#include "mesh/Po2Writer.h"

#include <string>
#include <vector>

struct ConvertOptions {
    int layer = 1;                     // as scenes count: LAYR number + 1
    std::string uv1Map;                // empty: the first UV map other than set 0's
    std::string texture1Name;          // texture for coordinate set 1
    std::string environmentName;       // sphere-mapped texture 1 instead of set 1
    std::vector<std::string> boneMaps; // weight maps in bone order; empty: by name
};

// One layer as a PO2 mesh, and what went into it, for the summary line.
struct Conversion {
    Po2Description mesh;
    std::size_t cornerCount = 0;
    std::string uv0Map;
    std::string uv1Map;
    std::string colourMap;
    std::vector<std::string> morphNames; // in PO2 order: the morph mixer's channel order
    std::vector<std::string> boneMaps;   // in bone-index order
    std::vector<std::string> dropped;    // what the PO2 file does not hold, and why
};

// Converts the layer the options name. A missing layer or map, a map of too few values, or a
// count over the PO2 limits is a LoadError naming path.
Conversion convertLayer(const LwoObject& object, const ConvertOptions& options,
                        const std::string& path);

// An image file name without folders, device ("C:") or extension: how PO2 names a texture.
std::string textureBaseName(const std::string& file);

// "V vertices, P polygons, N corners; ..." with the maps, morphs, bones and what was dropped.
std::string summaryLine(const Conversion& conversion);
