#pragma once

#include "shell/GlHandle.h"

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct CornerArrays;
struct Texture;

// Section bits of a PO2 file's flags byte, kept in Mesh::flags as read.
namespace MeshFlag {
constexpr std::uint8_t Polygons = 0x01;
constexpr std::uint8_t TexCoords0 = 0x02;
constexpr std::uint8_t EnvironmentTexture = 0x04;
constexpr std::uint8_t Colours = 0x08;
constexpr std::uint8_t TexCoords1 = 0x10;
constexpr std::uint8_t Morphs = 0x20;
constexpr std::uint8_t TrianglesOnly = 0x40;
constexpr std::uint8_t VertexWeights = 0x80;
} // namespace MeshFlag

// One displaced vertex of a morph: 14 bytes in the file, no padding there.
struct MorphDelta {
    float dx = 0.0f;
    float dy = 0.0f;
    float dz = 0.0f;
    std::uint16_t vertex = 0;

    bool operator==(const MorphDelta&) const = default;
};

// An array fixed at load time and shared between a mesh and its working copies. Reads like a
// const std::vector; empty when the section is absent.
template <class T> class SharedArray {
public:
    SharedArray() = default;
    explicit SharedArray(std::vector<T> values)
        : storage(std::make_shared<const std::vector<T>>(std::move(values)))
    {
    }

    std::size_t size() const { return storage ? storage->size() : 0; }
    bool empty() const { return size() == 0; }
    const T* data() const { return storage ? storage->data() : nullptr; }
    const T& operator[](std::size_t i) const
    {
        assert(i < size() && "shared mesh array read past its end");
        return (*storage)[i];
    }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size(); }
    // True when both name the same stored array (a working copy and its source).
    bool sharesWith(const SharedArray& other) const { return storage == other.storage; }

private:
    std::shared_ptr<const std::vector<T>> storage;
};

// The arrays and counts of one PO2 mesh. Field order and names follow the file's record; every
// count equals the size of its array (coordinates, colours and positions count entries, not
// floats). Copyable: a copy shares the fixed arrays.
struct MeshData {
    SharedArray<float> vertexWeights;            // [V], with VertexWeights
    SharedArray<std::int16_t> triangleBones;     // [P], with VertexWeights
    SharedArray<MorphDelta> morphDeltas;         // [D], with Morphs
    SharedArray<float> colours;                  // [K * 4] RGBA
    std::vector<float> positions;                // [V * 3], always present
    std::vector<float> normals;                  // [V * 3], with Polygons
    SharedArray<float> texCoords0;               // [T0 * 2]
    SharedArray<float> texCoords1;               // [T1 * 2]
    SharedArray<std::uint16_t> vertexIndices;    // [N]
    SharedArray<std::uint16_t> texCoord0Indices; // [N]
    SharedArray<std::uint16_t> texCoord1Indices; // [N]
    SharedArray<std::uint16_t> colourIndices;    // [N]
    SharedArray<std::uint16_t> morphSizes;       // [M]
    SharedArray<std::uint16_t> polygonSizes;     // [P], absent with TrianglesOnly
    const Texture* texture0 = nullptr;           // owned by the TextureCache
    const Texture* texture1 = nullptr;           // environment or set-1 texture
    std::uint8_t flags = 0;
    std::uint8_t boneCount = 0;
    std::uint16_t polygonCount = 0;
    std::uint16_t vertexCount = 0;
    std::uint16_t texCoord0Count = 0;
    std::uint16_t texCoord1Count = 0;
    std::uint16_t colourCount = 0;
    std::uint16_t morphCount = 0;
    std::uint32_t morphDeltaCount = 0;
    std::uint32_t cornerCount = 0;

    bool has(std::uint8_t flag) const { return (flags & flag) != 0; }
};

// One PO2 mesh as the player holds it. A loaded mesh owns its display list, so it is move-only
// and deletes the list when destroyed (the GL context must then still be current).
class Mesh : public MeshData {
public:
    // A mesh a morphing object may overwrite: its own positions (zeroed here) and, with vertex
    // indices, its own normals; every other array shared with this mesh. No name, no list; its
    // corner arrays where the polygons can be drawn from them.
    Mesh makeWorkingCopy() const;

    std::string name;     // the object name as the scene gave it
    GlHandle displayList; // empty when none was compiled
    // Working copies only: the layout that draws them with glDrawElements; null keeps immediate
    // mode.
    std::shared_ptr<const CornerArrays> cornerArrays;
};

// Recomputes the normals from the current positions: each polygon's face vector
// (PL - P1) x (P0 - P1), unnormalised, is added to every vertex its corners name, then every
// normal is scaled to unit length. Polygons of fewer than three corners add nothing; a vertex
// whose sum is zero gets (0, 0, 1).
void computeNormals(Mesh& mesh);

// The GL calls for corner c: colour, normal, weight, coordinates of units 0 and 1, vertex.
void emitCorner(const Mesh& mesh, std::uint32_t corner);
// The same without the vertex: what immediate mode leaves current after corner c.
void emitCornerAttributes(const Mesh& mesh, std::uint32_t corner);

// Every polygon between glBegin and glEnd: one GL_TRIANGLES block with TrianglesOnly, else one
// block per polygon (GL_TRIANGLES for 3 corners, GL_QUADS for 4, GL_POLYGON otherwise).
void emitPolygons(const Mesh& mesh);

// Compiles emitPolygons into a new display list stored in mesh.displayList (GL must be current).
void compileDisplayList(Mesh& mesh);
