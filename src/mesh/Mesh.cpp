#include "mesh/Mesh.h"

#include "mesh/CornerArrays.h"

#include <GL/gl.h>

#include <cmath>

Mesh Mesh::makeWorkingCopy() const
{
    Mesh copy;
    // Every array and count comes along, the fixed ones shared; only the name, the list and the
    // corner arrays are the copy's own.
    static_cast<MeshData&>(copy) = *this;
    copy.positions.assign(positions.size(), 0.0f);
    // Without vertex indices there are no normals to own: the source has none either.
    if (vertexIndices.empty())
        copy.normals.clear();
    auto arrays = std::make_shared<CornerArrays>();
    if (buildCornerArrays(*this, *arrays))
        copy.cornerArrays = std::move(arrays);
    return copy;
}

namespace {

// Adds the face vector of the polygon whose corners are indices[0..size) to every vertex named.
void addFace(Mesh& mesh, const std::uint16_t* indices, std::size_t size)
{
    const std::size_t vertexCount = mesh.positions.size() / 3;
    for (std::size_t i = 0; i < size; ++i)
        if (indices[i] >= vertexCount)
            return; // unreachable for loaded meshes, whose indices are checked
    const float* p0 = &mesh.positions[indices[0] * 3u];
    const float* p1 = &mesh.positions[indices[1] * 3u];
    const float* pl = &mesh.positions[indices[size - 1] * 3u];
    const float ax = pl[0] - p1[0], ay = pl[1] - p1[1], az = pl[2] - p1[2];
    const float bx = p0[0] - p1[0], by = p0[1] - p1[1], bz = p0[2] - p1[2];
    const float fx = ay * bz - az * by;
    const float fy = az * bx - ax * bz;
    const float fz = ax * by - ay * bx;
    for (std::size_t i = 0; i < size; ++i) {
        float* n = &mesh.normals[indices[i] * 3u];
        n[0] += fx;
        n[1] += fy;
        n[2] += fz;
    }
}

} // namespace

void computeNormals(Mesh& mesh)
{
    // Normals exist exactly when polygons do.
    if (!mesh.has(MeshFlag::Polygons))
        return;
    mesh.normals.assign(mesh.positions.size(), 0.0f);
    const std::uint16_t* indices = mesh.vertexIndices.data();
    const std::size_t cornerCount = mesh.vertexIndices.size();
    if (mesh.has(MeshFlag::TrianglesOnly)) {
        for (std::size_t c = 0; c + 3 <= cornerCount; c += 3)
            addFace(mesh, indices + c, 3);
    } else {
        std::size_t first = 0;
        for (std::uint16_t size : mesh.polygonSizes) {
            if (size > cornerCount - first)
                break;
            // Fewer than three corners have no face: they add nothing, but still use corners.
            if (size >= 3)
                addFace(mesh, indices + first, size);
            first += size;
        }
    }
    for (std::size_t i = 0; i + 3 <= mesh.normals.size(); i += 3) {
        float* n = &mesh.normals[i];
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length > 0.0f && std::isfinite(length)) {
            const float scale = 1.0f / length;
            n[0] *= scale;
            n[1] *= scale;
            n[2] *= scale;
        } else {
            // Unused or degenerate-only vertices: any unit vector beats a NaN in the lighting.
            n[0] = 0.0f;
            n[1] = 0.0f;
            n[2] = 1.0f;
        }
    }
}
