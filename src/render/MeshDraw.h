#pragma once

#include "mesh/Mesh.h"

#include <cstdint>

// All polygons of the mesh in immediate mode; the same calls its display list holds.
void drawMeshPolygons(const Mesh& mesh);

// Every vertex as a point sprite of size * 3000 pixels, in the current colour and texture.
void drawMeshPoints(const Mesh& mesh, float size);

// Texture units 0 and 1 for the mesh's flags; objectFlags 0x20 scales colour by 2, 0x40 by 4.
// Leaves unit 1 active, except for an environment texture without TexCoords0 (unit 0).
void setupMeshTextures(const Mesh& mesh, std::uint8_t objectFlags);

// out.positions = base + amount * (target - base) per component, for the vertices all three
// meshes have.
void blendPositions(Mesh& out, const Mesh& base, const Mesh& target, float amount);

// positions[delta.vertex] += weight * (dx, dy, dz); a vertex beyond the mesh is ignored.
void applyMorphDelta(Mesh& mesh, const MorphDelta& delta, float weight);
