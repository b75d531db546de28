// Working copies draw from client arrays; every pixel must match what immediate mode draws from
// the same mesh, and what a later draw inherits from the current colour, normal and coordinates
// must match too.
#include "mesh/CornerArrays.h"
#include "mesh/Po2Reader.h"
#include "mesh/Po2Writer.h"
#include "render/MeshDraw.h"
#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int side = 256;
constexpr int cells = 8;

// A jittered (cells + 1)^2 grid whose cells become, by the pattern, a quad, two triangles, a
// pentagon through the midpoint of the cell's lower edge (added as its own vertex) or a quad
// followed by a degenerate two-corner polygon. Colours and coordinates are indexed per corner:
// with perCornerAttributes the same vertex takes different ones in different polygons.
Po2Description mixedMesh(std::uint8_t flags, bool perCornerAttributes, int pattern)
{
    Po2Description mesh;
    mesh.flags = flags;
    const auto at = [](int r, int c) { return static_cast<std::uint16_t>(r * (cells + 1) + c); };
    for (int r = 0; r <= cells; ++r)
        for (int c = 0; c <= cells; ++c) {
            const float jitter = 0.03f * static_cast<float>((r * 7 + c * 3) % 5 - 2);
            mesh.positions.insert(mesh.positions.end(),
                                  {-0.9f + 1.8f * static_cast<float>(c) / cells + jitter,
                                   -0.9f + 1.8f * static_cast<float>(r) / cells - jitter,
                                   0.2f * static_cast<float>((r + c) % 3)});
        }
    std::vector<std::uint16_t> corners;
    std::vector<std::uint16_t> sizes;
    for (int r = 0; r < cells; ++r)
        for (int c = 0; c < cells; ++c) {
            const std::uint16_t a = at(r, c), b = at(r, c + 1), d = at(r + 1, c + 1),
                                e = at(r + 1, c);
            const bool trianglesOnly = (flags & MeshFlag::TrianglesOnly) != 0;
            switch (trianglesOnly ? 1 : (r * cells + c + pattern) % 4) {
            case 0:
                corners.insert(corners.end(), {a, b, d, e});
                sizes.push_back(4);
                break;
            case 1:
                corners.insert(corners.end(), {a, b, d, a, d, e});
                sizes.insert(sizes.end(), {3, 3});
                break;
            case 2: {
                const auto middle = static_cast<std::uint16_t>(mesh.positions.size() / 3);
                const float* pa = &mesh.positions[a * 3u];
                const float* pb = &mesh.positions[b * 3u];
                mesh.positions.insert(
                    mesh.positions.end(),
                    {(pa[0] + pb[0]) / 2, (pa[1] + pb[1]) / 2, (pa[2] + pb[2]) / 2});
                corners.insert(corners.end(), {a, middle, b, d, e});
                sizes.push_back(5);
                break;
            }
            default:
                corners.insert(corners.end(), {a, b, d, e, a, b});
                sizes.insert(sizes.end(), {4, 2});
                break;
            }
        }
    mesh.vertexIndices = corners;
    if (!(flags & MeshFlag::TrianglesOnly))
        mesh.polygonSizes = sizes;
    const auto indexFor = [&](std::size_t corner, std::size_t shift, std::size_t count) {
        const std::size_t key = perCornerAttributes ? corner * 5 + corner / 3 : corners[corner];
        return static_cast<std::uint16_t>((key + shift) % count);
    };
    mesh.colours = {1, 0.2f, 0.2f, 1,    0.2f, 1,    0.2f, 1, 0.3f, 0.3f, 1,    1,
                    1, 1,    0.1f, 0.5f, 0.9f, 0.9f, 0.9f, 1, 0.6f, 0.1f, 0.8f, 1};
    mesh.texCoords0 = {0, 0, 1, 0, 1, 1, 0, 1, 0.25f, 0.75f, 0.6f, 0.1f, 2.0f, -1.0f};
    mesh.texCoords1 = {0.1f, 0.9f, 0.9f, 0.1f, 0.5f, 0.5f};
    for (std::size_t corner = 0; corner < corners.size(); ++corner) {
        mesh.colourIndices.push_back(indexFor(corner, 0, 6));
        mesh.texCoord0Indices.push_back(indexFor(corner, 1, 7));
        mesh.texCoord1Indices.push_back(indexFor(corner, 2, 3));
    }
    return mesh;
}

Mesh meshOf(const Po2Description& description)
{
    return parsePo2(writePo2(description), "arrays.po2",
                    [](const std::string&) { return nullptr; });
}

// A 4 x 4 texture of distinct texels, nearest filtering, repeating.
GLuint texture(int seed)
{
    std::vector<unsigned char> texels;
    for (int i = 0; i < 16; ++i)
        texels.insert(texels.end(), {static_cast<unsigned char>((i * 53 + seed) & 255),
                                     static_cast<unsigned char>((i * 97 + seed * 3) & 255),
                                     static_cast<unsigned char>((i * 31 + 128) & 255), 255});
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return name;
}

// Lit, colour-tracking, two textures modulated: every attribute shows in the pixels.
void litAndTextured(GLuint unit0, GLuint unit1)
{
    resetGlState();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat direction[] = {0.3f, 0.5f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    for (int unit = 0; unit < 2; ++unit) {
        ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
        glBindTexture(GL_TEXTURE_2D, unit == 0 ? unit0 : unit1);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    glNormal3f(0.0f, 0.0f, 1.0f);
}

// The mesh drawn one way, then a triangle that sets nothing but its vertices and so shows what
// the draw left current; the whole surface read back.
std::vector<unsigned char> drawn(const Mesh& work, bool immediate, GLuint unit0, GLuint unit1)
{
    litAndTextured(unit0, unit1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (immediate)
        emitPolygons(work);
    else
        drawMeshPolygons(work);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_TRIANGLES);
    glVertex3f(0.5f, 0.5f, 0.0f);
    glVertex3f(0.95f, 0.5f, 0.0f);
    glVertex3f(0.95f, 0.95f, 0.0f);
    glEnd();
    return readPixelsRGBA(0, 0, side, side);
}

TEST(MeshArrays, WorkingCopiesDrawTheSamePixelsAsImmediateMode)
{
    ensureOffscreenGl(side, side);
    const GLuint unit0 = texture(1);
    const GLuint unit1 = texture(2);
    using F = std::uint8_t;
    const F all =
        MeshFlag::Polygons | MeshFlag::Colours | MeshFlag::TexCoords0 | MeshFlag::TexCoords1;
    struct Case {
        const char* name;
        F flags;
        bool perCornerAttributes;
        int pattern;
        bool elementsAreVertices;
    };
    const Case cases[] = {
        {"mixed polygons, attributes per corner", all, true, 0, false},
        {"mixed polygons, attributes per vertex", all, false, 1, true},
        {"triangles only, attributes per corner", F(all | MeshFlag::TrianglesOnly), true, 0, false},
        {"mixed polygons, colours only", F(MeshFlag::Polygons | MeshFlag::Colours), true, 2, false},
        {"mixed polygons, positions and normals only", MeshFlag::Polygons, false, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Po2Description flat = mixedMesh(c.flags, c.perCornerAttributes, c.pattern);
        Po2Description bent = flat;
        for (std::size_t i = 0; i < bent.positions.size(); i += 3)
            bent.positions[i + 2] += 0.5f * bent.positions[i] * bent.positions[i + 1];
        const Mesh base = meshOf(flat);
        const Mesh target = meshOf(bent);
        Mesh work = base.makeWorkingCopy();
        ASSERT_TRUE(work.cornerArrays);
        EXPECT_EQ(work.cornerArrays->elementsAreVertices, c.elementsAreVertices);
        blendPositions(work, base, target, 0.7f);
        computeNormals(work);

        const std::vector<unsigned char> immediate = drawn(work, true, unit0, unit1);
        const std::vector<unsigned char> arrays = drawn(work, false, unit0, unit1);
        std::size_t differing = 0;
        std::size_t background = 0;
        for (std::size_t i = 0; i < immediate.size(); i += 4) {
            differing += immediate[i] != arrays[i] || immediate[i + 1] != arrays[i + 1] ||
                         immediate[i + 2] != arrays[i + 2];
            background += immediate[i] == 0 && immediate[i + 1] == 0 && immediate[i + 2] == 0;
        }
        EXPECT_EQ(differing, 0u);
        // The mesh covers most of the surface: the comparison is not between two empty pictures.
        EXPECT_LT(background, immediate.size() / 4 / 4);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    glDeleteTextures(1, &unit0);
    glDeleteTextures(1, &unit1);
    resetGlState();
}

TEST(MeshArrays, MeshesArraysCannotDrawKeepImmediateMode)
{
    // Vertex weights have no array; a points-only mesh has no polygons.
    Po2Description weighted = mixedMesh(MeshFlag::Polygons | MeshFlag::TrianglesOnly, false, 0);
    weighted.flags |= MeshFlag::VertexWeights;
    weighted.vertexWeights.assign(weighted.positions.size() / 3, 0.5f);
    weighted.triangleBones.assign(weighted.vertexIndices.size() / 3, 0);
    EXPECT_FALSE(meshOf(weighted).makeWorkingCopy().cornerArrays);
    Po2Description points;
    points.positions = {0, 0, 0, 1, 1, 1};
    EXPECT_FALSE(meshOf(points).makeWorkingCopy().cornerArrays);
}

} // namespace
