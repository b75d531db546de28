#pragma once

#include "mesh/Mesh.h"
#include "mesh/Po2Reader.h"
#include "mesh/Po2Writer.h"

#include <string>
#include <vector>

// A small mesh that fills every section its flags switch on, with distinct counts so a section
// read in the wrong place cannot line up by chance: V 5, T0 3, K 2, T1 4, M 2 (D 3).
inline Po2Description sampleDescription(std::uint8_t flags)
{
    Po2Description mesh;
    mesh.flags = flags;
    mesh.texture0Name = "wood";
    mesh.environmentTextureName = "chrome";
    mesh.texture1Name = "dirt";
    mesh.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0.5f, 2, 0.25f};
    std::size_t corners = 0;
    if (flags & MeshFlag::Polygons) {
        if (flags & MeshFlag::TrianglesOnly) {
            mesh.vertexIndices = {0, 1, 2, 0, 2, 4};
        } else {
            mesh.polygonSizes = {3, 4, 5};
            mesh.vertexIndices = {0, 1, 2, 0, 1, 2, 3, 0, 1, 2, 4, 3};
        }
        corners = mesh.vertexIndices.size();
    }
    auto cycle = [corners](std::uint16_t limit) {
        std::vector<std::uint16_t> indices;
        for (std::size_t c = 0; c < corners; ++c)
            indices.push_back(static_cast<std::uint16_t>((c * 7 + 1) % limit));
        return indices;
    };
    mesh.texCoords0 = {0, 0, 1, 0, 0.5f, 1};
    mesh.texCoord0Indices = cycle(3);
    mesh.colours = {1, 0, 0, 1, 0, 0.5f, 1, 0.25f};
    mesh.colourIndices = cycle(2);
    mesh.texCoords1 = {0, 0, 2, 0, 2, 2, 0, 2};
    mesh.texCoord1Indices = cycle(4);
    mesh.morphSizes = {2, 1};
    mesh.morphDeltas = {{0.5f, 0, 0, 4}, {0, -1, 0, 0}, {0, 0, 3, 2}};
    mesh.vertexWeights = {1, 0.75f, 0.5f, 0.25f, 0};
    if ((flags & MeshFlag::Polygons) && (flags & MeshFlag::TrianglesOnly))
        mesh.triangleBones = {1, -4};
    else if (flags & MeshFlag::Polygons)
        mesh.triangleBones = {0, 1, 2};
    // Sections whose bit is clear hold nothing, so a description equals what loads back.
    if (!(flags & MeshFlag::TexCoords0))
        mesh.texCoords0.clear(), mesh.texCoord0Indices.clear();
    if (!(flags & MeshFlag::Colours))
        mesh.colours.clear(), mesh.colourIndices.clear();
    if (!(flags & MeshFlag::TexCoords1))
        mesh.texCoords1.clear(), mesh.texCoord1Indices.clear();
    if (!(flags & MeshFlag::Morphs))
        mesh.morphSizes.clear(), mesh.morphDeltas.clear();
    if (!(flags & MeshFlag::VertexWeights))
        mesh.vertexWeights.clear(), mesh.triangleBones.clear();
    return mesh;
}

template <class T> std::vector<T> toVector(const SharedArray<T>& values)
{
    return std::vector<T>(values.begin(), values.end());
}

// Texture lookups for GL-free tests: records each requested name and answers with a distinct
// token per request. The tokens are never dereferenced, only compared.
struct RecordingLookup {
    std::vector<std::string> names;

    const Texture* token(std::size_t request) const
    {
        return reinterpret_cast<const Texture*>(&slots[request]);
    }

    TextureLookup lookup()
    {
        return [this](const std::string& name) {
            names.push_back(name);
            return token(names.size() - 1);
        };
    }

private:
    char slots[8] = {};
};

inline Mesh parseBytes(const std::string& bytes, const std::string& path = "test.po2")
{
    return parsePo2(bytes, path, [](const std::string&) { return nullptr; });
}
