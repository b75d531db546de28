#include "render/Flare.h"

#include "anim/ItemTransform.h"
#include "image/TextureCache.h"
#include "scene/Light.h"

#include <GL/gl.h>

namespace {

constexpr std::int32_t flareDepthTest = 0x08;
constexpr std::int32_t flareFog = 0x10;

float valueOr(const std::optional<Channel>& channel, float t, float fallback)
{
    return channel ? evaluateChannel(*channel, t) : fallback;
}

} // namespace

void drawFlare(Light& light, float t)
{
    loadItemMatrix(light, t);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);

    if (light.lensFlareFade & flareDepthTest)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    if (light.lensFlareFade & flareFog)
        glEnable(GL_FOG);
    else
        glDisable(GL_FOG);
    if (light.flareTexture)
        bindTextureUnit(*light.flareTexture, 0);

    // Only the eye-space position is kept: the billboard always faces the screen.
    glLoadIdentity();
    glTranslatef(m[12], m[13], m[14]);
    const float k = valueOr(light.flareIntensity, t, 0.0f);
    glColor4f(k * light.colour.red, k * light.colour.green, k * light.colour.blue,
              1.0f - valueOr(light.flareDissolve, t, 0.0f));

    const float s = evaluateChannel(light.flareNominalDistance, t) * 0.2f;
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-s, -s, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-s, s, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(s, -s, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(s, s, 0.0f);
    glEnd();
}
