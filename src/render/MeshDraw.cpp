#include "render/MeshDraw.h"

#include "image/TextureCache.h"
#include "mesh/CornerArrays.h"
#include "shell/GlExtensions.h"

#include <algorithm>
#include <vector>

// GL_ARB_point_sprite took over NV_point_sprite's enums unchanged, so one set of calls serves
// drivers with either extension (Mesa offers only the ARB one).
static_assert(GL_POINT_SPRITE_NV == GL_POINT_SPRITE_ARB);
static_assert(GL_COORD_REPLACE_NV == GL_COORD_REPLACE_ARB);

namespace {

GLenum modeOf(CornerArrays::Primitive primitive)
{
    return primitive == CornerArrays::Primitive::Triangles ? GL_TRIANGLES : GL_POLYGON;
}

void texCoordArray(GLenum unit, const std::vector<float>& coordinates)
{
    ext::glClientActiveTextureARB(unit);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, coordinates.data());
}

void disableTexCoordArray(GLenum unit)
{
    ext::glClientActiveTextureARB(unit);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

// Positions and normals per element, gathered from the vertices each frame. One GL thread draws,
// so one buffer serves every mesh and only grows.
std::vector<float>& gatherBuffer()
{
    static std::vector<float> buffer;
    return buffer;
}

void drawFromArrays(const Mesh& mesh, const CornerArrays& arrays)
{
    const float* positions = mesh.positions.data();
    const float* normals = mesh.normals.data();
    if (!arrays.elementsAreVertices) {
        std::vector<float>& gathered = gatherBuffer();
        const std::size_t count = arrays.elementVertex.size();
        gathered.resize(count * 6);
        float* outPositions = gathered.data();
        float* outNormals = gathered.data() + count * 3;
        for (std::size_t e = 0; e < count; ++e) {
            const std::size_t v = std::size_t{arrays.elementVertex[e]} * 3;
            std::copy_n(&mesh.positions[v], 3, outPositions + e * 3);
            std::copy_n(&mesh.normals[v], 3, outNormals + e * 3);
        }
        positions = outPositions;
        normals = outNormals;
    }

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positions);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, normals);
    if (mesh.has(MeshFlag::Colours)) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, arrays.colours.data());
    }
    if (mesh.has(MeshFlag::TexCoords1))
        texCoordArray(GL_TEXTURE1_ARB, arrays.texCoords1);
    if (mesh.has(MeshFlag::TexCoords0))
        texCoordArray(GL_TEXTURE0_ARB, arrays.texCoords0);
    for (const CornerArrays::Run& run : arrays.runs)
        glDrawElements(modeOf(run.primitive), static_cast<GLsizei>(run.count), GL_UNSIGNED_INT,
                       arrays.indices.data() + run.first);
    if (mesh.has(MeshFlag::TexCoords1))
        disableTexCoordArray(GL_TEXTURE1_ARB);
    if (mesh.has(MeshFlag::TexCoords0))
        disableTexCoordArray(GL_TEXTURE0_ARB);
    ext::glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);

    // Immediate mode leaves the last corner's colour, normal and coordinates current, and later
    // draws that set none of their own inherit them; arrays leave them undefined.
    emitCornerAttributes(mesh, arrays.lastCorner);
}

} // namespace

void drawMeshPolygons(const Mesh& mesh)
{
    if (mesh.cornerArrays)
        drawFromArrays(mesh, *mesh.cornerArrays);
    else
        emitPolygons(mesh);
}

void drawMeshPoints(const Mesh& mesh, float size)
{
    glEnable(GL_POINT_SPRITE_NV);
    glTexEnvi(GL_POINT_SPRITE_NV, GL_COORD_REPLACE_NV, GL_TRUE);
    glPointSize(size * 3000.0f);
    glBegin(GL_POINTS);
    for (std::size_t i = 0; i + 3 <= mesh.positions.size(); i += 3)
        glVertex3f(mesh.positions[i], mesh.positions[i + 1], mesh.positions[i + 2]);
    glEnd();
    glDisable(GL_POINT_SPRITE_NV);
}

namespace {

void activateUnit(int unit)
{
    ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
}

void bindWhenPresent(const Texture* texture)
{
    if (texture)
        bindTexture(*texture);
}

void combineWith(GLint function)
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, function);
}

void texGen(bool on)
{
    if (on) {
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    } else {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
}

} // namespace

void setupMeshTextures(const Mesh& mesh, std::uint8_t objectFlags)
{
    const float colourScale = (objectFlags & 0x20) ? 2.0f : (objectFlags & 0x40) ? 4.0f : 1.0f;

    if (mesh.has(MeshFlag::TexCoords0)) {
        activateUnit(0);
        bindWhenPresent(mesh.texture0);
        combineWith(GL_MODULATE);
        texGen(false);
    } else {
        disableTextureUnit(0);
    }

    if (mesh.has(MeshFlag::TexCoords1)) {
        activateUnit(1);
        bindWhenPresent(mesh.texture1);
        combineWith(GL_MODULATE);
        glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, colourScale);
        texGen(false);
    } else {
        // Unit 0 is still active: the scale lands on the only texture that is drawn.
        glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, colourScale);
        disableTextureUnit(1);
    }

    if (mesh.has(MeshFlag::EnvironmentTexture)) {
        if (mesh.has(MeshFlag::TexCoords0)) {
            activateUnit(1);
            bindWhenPresent(mesh.texture1);
            combineWith(GL_ADD_SIGNED_ARB);
            glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, colourScale);
        } else {
            disableTextureUnit(1);
            activateUnit(0);
            bindWhenPresent(mesh.texture1);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        }
        // Sphere-map generation modes were chosen once at start-up; this only switches them on.
        texGen(true);
    }
}

void blendPositions(Mesh& out, const Mesh& base, const Mesh& target, float amount)
{
    const std::size_t count = std::min({std::size_t{out.vertexCount} * 3, out.positions.size(),
                                        base.positions.size(), target.positions.size()});
    for (std::size_t i = 0; i < count; ++i)
        out.positions[i] = base.positions[i] + amount * (target.positions[i] - base.positions[i]);
}

void applyMorphDelta(Mesh& mesh, const MorphDelta& delta, float weight)
{
    const std::size_t first = std::size_t{delta.vertex} * 3;
    if (first + 3 > mesh.positions.size())
        return;
    mesh.positions[first] += weight * delta.dx;
    mesh.positions[first + 1] += weight * delta.dy;
    mesh.positions[first + 2] += weight * delta.dz;
}
