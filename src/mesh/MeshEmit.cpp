#include "mesh/Mesh.h"

#include "shell/GlExtensions.h"
#include "shell/LoadError.h"

#include <cassert>
#include <utility>

void emitCornerAttributes(const Mesh& mesh, std::uint32_t corner)
{
    assert(corner < mesh.cornerCount && "corner beyond the mesh");
    // Indices were checked against their arrays when the mesh was read.
    const std::size_t vertex = mesh.vertexIndices[corner];
    if (mesh.has(MeshFlag::Colours)) {
        const float* colour = &mesh.colours[std::size_t{mesh.colourIndices[corner]} * 4];
        glColor4f(colour[0], colour[1], colour[2], colour[3]);
    }
    const float* normal = &mesh.normals[vertex * 3];
    glNormal3f(normal[0], normal[1], normal[2]);
    if (mesh.has(MeshFlag::VertexWeights))
        ext::glVertexWeightfEXT(mesh.vertexWeights[vertex]);
    if (mesh.has(MeshFlag::TexCoords0)) {
        const float* uv = &mesh.texCoords0[std::size_t{mesh.texCoord0Indices[corner]} * 2];
        ext::glMultiTexCoord2fARB(GL_TEXTURE0_ARB, uv[0], uv[1]);
    }
    if (mesh.has(MeshFlag::TexCoords1)) {
        const float* uv = &mesh.texCoords1[std::size_t{mesh.texCoord1Indices[corner]} * 2];
        ext::glMultiTexCoord2fARB(GL_TEXTURE1_ARB, uv[0], uv[1]);
    }
}

void emitCorner(const Mesh& mesh, std::uint32_t corner)
{
    emitCornerAttributes(mesh, corner);
    const std::size_t vertex = mesh.vertexIndices[corner];
    const float* position = &mesh.positions[vertex * 3];
    glVertex3f(position[0], position[1], position[2]);
}

void emitPolygons(const Mesh& mesh)
{
    if (mesh.has(MeshFlag::TrianglesOnly)) {
        glBegin(GL_TRIANGLES);
        for (std::uint32_t c = 0; c < mesh.cornerCount; ++c)
            emitCorner(mesh, c);
        glEnd();
        return;
    }
    std::uint32_t first = 0;
    for (std::uint16_t size : mesh.polygonSizes) {
        if (size > mesh.cornerCount - first)
            break; // the sizes sum to cornerCount in every loaded mesh
        glBegin(size == 3 ? GL_TRIANGLES : size == 4 ? GL_QUADS : GL_POLYGON);
        for (std::uint32_t c = first; c < first + size; ++c)
            emitCorner(mesh, c);
        glEnd();
        first += size;
    }
}

void compileDisplayList(Mesh& mesh)
{
    GlHandle list = newDisplayList();
    if (!list)
        throw LoadError("Cannot create a display list for " + mesh.name);
    mesh.displayList = std::move(list);
    glNewList(mesh.displayList.get(), GL_COMPILE);
    emitPolygons(mesh);
    glEndList();
}
