#include "render/MeshDraw.h"

#include "image/TextureCache.h"
#include "shell/GlExtensions.h"

#include <algorithm>

// GL_ARB_point_sprite took over NV_point_sprite's enums unchanged, so one set of calls serves
// drivers with either extension (Mesa offers only the ARB one).
static_assert(GL_POINT_SPRITE_NV == GL_POINT_SPRITE_ARB);
static_assert(GL_COORD_REPLACE_NV == GL_COORD_REPLACE_ARB);

void drawMeshPolygons(const Mesh& mesh)
{
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
