#pragma once

#include "mesh/Po2Writer.h"
#include "support/TempDir.h"

#include <cstdint>
#include <string>
#include <vector>

// Meshes and pictures that scenes name, written into the demo folder.
namespace sceneassets {

// One triangle; `extraFlags` adds sections whose arrays the caller fills.
inline Po2Description triangle()
{
    Po2Description mesh;
    mesh.flags = MeshFlag::Polygons | MeshFlag::TrianglesOnly;
    mesh.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    mesh.vertexIndices = {0, 1, 2};
    return mesh;
}

// Triangles whose bone indices give the mesh boneCount = largest + 1.
inline Po2Description bonedMesh(const std::vector<std::int16_t>& triangleBones)
{
    Po2Description mesh = triangle();
    mesh.flags |= MeshFlag::VertexWeights;
    mesh.vertexIndices.clear();
    for (std::size_t i = 0; i < triangleBones.size(); ++i)
        mesh.vertexIndices.insert(mesh.vertexIndices.end(), {0, 1, 2});
    mesh.vertexWeights = {1, 1, 1};
    mesh.triangleBones = triangleBones;
    return mesh;
}

inline Po2Description morphedMesh(int morphCount)
{
    Po2Description mesh = triangle();
    mesh.flags |= MeshFlag::Morphs;
    for (int i = 0; i < morphCount; ++i) {
        mesh.morphSizes.push_back(1);
        mesh.morphDeltas.push_back({0.0f, 0.0f, static_cast<float>(i + 1), 2});
    }
    return mesh;
}

// objectName as the scene gives it ("Objects/Ship.lwo"); the mesh lies beside it as ".po2".
inline void writeMesh(const TempDir& dir, const std::string& objectName, const Po2Description& mesh)
{
    dir.write(objectName.substr(0, objectName.size() - 3) + "po2", writePo2(mesh));
}

// A 2 x 2 uncompressed 24-bit TGA of one colour (blue, green, red).
inline void writeTga(const TempDir& dir, const std::string& relative, unsigned char blue = 40,
                     unsigned char green = 80, unsigned char red = 120)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = 2;
    bytes[14] = 2;
    bytes[16] = 24;
    for (int i = 0; i < 4; ++i)
        bytes += {static_cast<char>(blue), static_cast<char>(green), static_cast<char>(red)};
    dir.write(relative, bytes);
}

} // namespace sceneassets
