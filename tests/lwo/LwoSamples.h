#pragma once

#include "support/LwoWriter.h"

#include <string>
#include <vector>

// A unit cube around the origin: six quads of surface "Cube", whose colour image
// "Textures/checker.tga" lies on UV map "UV". Every point maps to (0.75, 0.75) in "UV"; the
// front face (z = -0.5, polygon 0) overrides that per corner with the whole image, (0, 0) at
// its lower left. Its geometry chunks, which LWO2 and LWO3 share: TAGS, LAYR, PNTS, maps, POLS,
// PTAG.
inline std::string texturedCubeGeometry()
{
    using namespace lwo2;
    const std::vector<float> xyz = {-0.5f, -0.5f, -0.5f, 0.5f,  -0.5f, -0.5f, 0.5f, 0.5f,
                                    -0.5f, -0.5f, 0.5f,  -0.5f, -0.5f, -0.5f, 0.5f, 0.5f,
                                    -0.5f, 0.5f,  0.5f,  0.5f,  0.5f,  -0.5f, 0.5f, 0.5f};
    const std::vector<std::vector<std::uint32_t>> faces = {
        {0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {3, 7, 6, 2}, {0, 4, 7, 3}, {1, 2, 6, 5}};
    std::vector<MapEntry> uv;
    for (std::uint32_t p = 0; p < 8; ++p)
        uv.push_back({p, 0, {0.75f, 0.75f}});
    const std::vector<MapEntry> front = {
        {0, 0, {0, 0}}, {3, 0, {0, 1}}, {2, 0, {1, 1}}, {1, 0, {1, 0}}};
    return tags({"Cube"}) + layer(0, "cube") + points(xyz) + vertexMap("TXUV", 2, "UV", uv) +
           polygons("FACE", faces) + surfaceTags({0, 0, 0, 0, 0, 0}) +
           cornerMap("TXUV", 2, "UV", front);
}

// The cube as an LWO2 file.
inline std::string texturedCubeLwo()
{
    return iff::form("LWO2", texturedCubeGeometry() + lwo2::still(1, "Textures/checker.tga") +
                                 lwo2::surface("Cube", {lwo2::imageBlock("COLR", 1, "UV")}));
}

// The same cube as LightWave 2018 and later save it: LWO2's geometry chunks, with the clip and
// the surface as LWO3 forms; `extra` goes between the geometry and the clip.
inline std::string texturedCubeLwo3(const std::string& extra = "")
{
    return iff::form("LWO3", texturedCubeGeometry() + extra +
                                 lwo3::still(1, "Textures/checker.tga") +
                                 lwo3::surface("Cube", {lwo3::imageBlock("COLR", 1, "UV")}));
}
