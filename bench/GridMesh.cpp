#include "GridMesh.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr float halfSpan = 0.9f;
constexpr float waveHeight = 0.1f;
constexpr float waveFrequency = 9.0f;

} // namespace

Po2Description gridMesh(int columns, int rows, bool texCoords)
{
    Po2Description mesh;
    mesh.flags = MeshFlag::Polygons | MeshFlag::TrianglesOnly;
    if (texCoords)
        mesh.flags |= MeshFlag::TexCoords0;
    for (int y = 0; y <= rows; ++y)
        for (int x = 0; x <= columns; ++x) {
            const float u = static_cast<float>(x) / static_cast<float>(columns);
            const float v = static_cast<float>(y) / static_cast<float>(rows);
            mesh.positions.insert(mesh.positions.end(),
                                  {u * 2.0f * halfSpan - halfSpan, v * 2.0f * halfSpan - halfSpan,
                                   waveHeight * std::sin(u * waveFrequency)});
            if (texCoords)
                mesh.texCoords0.insert(mesh.texCoords0.end(), {u, v});
        }
    const auto at = [columns](int x, int y) {
        return static_cast<std::uint16_t>(y * (columns + 1) + x);
    };
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            mesh.vertexIndices.insert(mesh.vertexIndices.end(),
                                      {at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y),
                                       at(x + 1, y + 1), at(x, y + 1)});
    if (texCoords)
        mesh.texCoord0Indices = mesh.vertexIndices;
    return mesh;
}
