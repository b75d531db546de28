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
    // A distant light's flare stands at the light's origin mirrored through the world origin,
    // where its light shines from (a sun behind the camera flares in front of it): demos were
    // made against that picture. Only the flare takes the mirrored point; the light's matrix
    // cache and its children keep the light's own place.
    const bool distant = light.lightType == 0;
    float view[16] = {};
    if (distant)
        glGetFloatv(GL_MODELVIEW_MATRIX, view);
    loadItemMatrix(light, t);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    float place[3] = {m[12], m[13], m[14]};
    if (distant)
        for (int i = 0; i < 3; ++i)
            place[i] = 2.0f * view[12 + i] - m[12 + i];

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
    glTranslatef(place[0], place[1], place[2]);
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
