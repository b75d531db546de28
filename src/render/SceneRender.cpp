#include "render/SceneRender.h"

#include "anim/ItemTransform.h"
#include "image/TextureCache.h"
#include "render/Flare.h"
#include "render/MaterialPass.h"
#include "render/ObjectDraw.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

constexpr int glLightCount = 8;
// 2 / 32767: maps rand()'s 0..32767, centred, onto -1..1.
constexpr float shakeScale = 0.00006103702f;
// The shake is scaled for a generator of 15 bits; glibc's reaches 2^31 - 1, so only the low 15
// bits are used (its generator is uniform in them too).
constexpr int shakeRandomMask = 0x7fff;
constexpr int shakeAxes = 3;

// What the render uses where the scene file gives nothing: white ambient light at intensity 0,
// fog distances 0.
float valueOr(const std::optional<Channel>& channel, float t, float fallback)
{
    return channel ? evaluateChannel(*channel, t) : fallback;
}

// One quad per pass over the image bound on unit 0; the foreground passes also get its colour.
void drawImagePasses(const PassList& passes, const Texture& image, const float colour[4])
{
    const auto setUp = [colour] {
        if (colour)
            glColor4fv(colour);
        setScreenQuadState();
    };
    for (const Material& material : passes)
        drawMaterialPass(material, setUp, [&image] { drawScreenQuad(image); });
}

void drawBackground(const Scene& scene)
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    disableTextureUnit(1);
    bindTextureUnit(*scene.bgImage, 0);
    if (scene.bgPasses.empty()) {
        setScreenQuadState();
        drawScreenQuad(*scene.bgImage);
    } else {
        drawImagePasses(scene.bgPasses, *scene.bgImage, nullptr);
    }
}

void drawForeground(const Scene& scene, float t)
{
    const float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f - valueOr(scene.fgDissolve, t, 0.0f)};
    const Texture& image = *scene.fgImage;
    if (!scene.fgPasses.empty()) {
        disableTextureUnit(1);
        bindTextureUnit(image, 0);
        drawImagePasses(scene.fgPasses, image, colour);
        return;
    }
    // Blending stays enabled or not as the last drawn object left it.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4fv(colour);
    disableTextureUnit(1);
    bindTextureUnit(image, 0);
    setScreenQuadState();
    drawScreenQuad(image);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void applyFog(const Scene& scene, float t)
{
    const float start = valueOr(scene.fogMinDistance, t, 0.0f);
    const float end = valueOr(scene.fogMaxDistance, t, 0.0f);
    // Linear fog divides by end - start: with equal distances (a fog type 1 scene that gives
    // none has both at 0) GL leaves the result open, and drivers range from no fog to fogging
    // everything. No fog is the picture such scenes were made against.
    if (scene.fogType != 1 || start == end) {
        glDisable(GL_FOG);
        return;
    }
    glEnable(GL_FOG);
    glFogf(GL_FOG_START, start);
    glFogf(GL_FOG_END, end);
}

// A symmetric frustum whose vertical half-angle is atan(1 / zoom), whatever the near distance.
// "FogMaxDistance" doubles as the far plane; without it the far plane is at infinity.
void loadProjection(const Scene& scene, const Camera& camera, float t)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float zoom = evaluateChannel(camera.zoomFactor, t);
    const float n = scene.nearClip;
    // n / w and n / h with h = n / zoom and w = h * aspect, reduced so that a near distance of
    // 0 does not make them 0 / 0.
    float m[16] = {};
    m[0] = zoom / scene.aspect;
    m[5] = zoom;
    m[11] = -1.0f;
    const std::optional<float> far =
        scene.fogMaxDistance ? std::optional<float>(evaluateChannel(*scene.fogMaxDistance, t))
                             : std::nullopt;
    // A far plane at the near plane would divide by zero; such a frustum holds nothing, and the
    // infinite one at least keeps the matrix finite.
    if (far && *far != n) {
        const float f = *far;
        m[10] = -(f + n) / (f - n);
        m[14] = -2.0f * f * n / (f - n);
    } else {
        m[10] = -1.0f;
        m[14] = -2.0f * n;
    }
    glMultMatrixf(m);
}

void applyAmbient(const Scene& scene, float t)
{
    const float k = valueOr(scene.ambientIntensity, t, 0.0f);
    const Rgba colour = scene.ambientColour.value_or(Rgba{1.0f, 1.0f, 1.0f, 1.0f});
    const float ambient[4] = {k * colour.red, k * colour.green, k * colour.blue, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
}

// A random offset of up to the focal distance times sin(50 t) on each axis. The amplitude is
// evaluated once per axis and rand() is never reseeded, so the shake differs between frames.
void applyCameraShake(const Camera& camera, float t)
{
    const float s = std::sin(t * 50.0f);
    float offset[shakeAxes];
    for (float& d : offset) {
        const float a = evaluateChannel(*camera.focalDistance, t);
        const float r = static_cast<float>(std::rand() & shakeRandomMask);
        d = (r - 16383.5f) * a * s * shakeScale;
    }
    glTranslatef(offset[0], offset[1], offset[2]);
}

void drawSceneObject(SceneObject& object, float t, const Camera& camera)
{
    glPushMatrix();
    loadItemMatrix(object, t);
    if (object.has(ObjectFlag::unlit))
        glDisable(GL_LIGHTING);
    else
        glEnable(GL_LIGHTING);
    if (object.has(ObjectFlag::noDepthTest))
        glDisable(GL_DEPTH_TEST);
    else
        glEnable(GL_DEPTH_TEST);

    const float d = evaluateChannel(*object.dissolve, t);
    const float fade = 1.0f - valueOr(camera.blurLength, t, 0.0f);
    if (object.has(ObjectFlag::additive)) {
        glDepthMask(GL_FALSE);
        glBlendFunc(GL_ONE, GL_ONE);
        const float c = (1.0f - d) * fade;
        glColor4f(c, c, c, 1.0f);
    } else {
        glDepthMask(GL_TRUE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1.0f, 1.0f, 1.0f, (1.0f - d) * fade);
    }
    if (object.has(ObjectFlag::noBlending))
        glDisable(GL_BLEND);
    else
        glEnable(GL_BLEND);

    if (object.passes.empty())
        drawObject(object, t);
    else
        drawObjectWithMaterials(object, t);
    glPopMatrix();
}

} // namespace

void enableSceneLights(const Scene& scene)
{
    const std::size_t active = scene.activeLights.size();
    for (int i = 0; i < glLightCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (index >= active) {
            glDisable(GL_LIGHT0 + static_cast<GLenum>(i));
            continue;
        }
        const Light& light = *scene.activeLights[index];
        glEnable(light.glLight);
        // A GL light keeps its cut-off between scenes; only spot lights set one in setupLight,
        // so every other light gets the full sphere back here.
        if (light.lightType != 2)
            glLighti(light.glLight, GL_SPOT_CUTOFF, 180);
    }
    if (scene.fogType == 1) {
        const Rgba colour = scene.fogColour.value_or(Rgba{});
        const float fog[4] = {colour.red, colour.green, colour.blue, colour.alpha};
        glFogfv(GL_FOG_COLOR, fog);
    }
}

void skipCameraShake(const Camera& camera)
{
    if (!camera.focalDistance)
        return;
    for (int axis = 0; axis < shakeAxes; ++axis)
        std::rand();
}

void renderScene(Scene& scene, float sceneTime, Camera& camera)
{
    const float t = sceneTime;
    if (scene.bgImage)
        drawBackground(scene);
    applyFog(scene, t);
    loadProjection(scene, camera, t);
    glMatrixMode(GL_MODELVIEW);
    applyAmbient(scene, t);

    // LightWave is left-handed: its +Z goes into the screen.
    glLoadIdentity();
    glScalef(1.0f, 1.0f, -1.0f);
    if (camera.focalDistance)
        applyCameraShake(camera, t);
    loadCameraView(camera, t);
    // Cached matrices hold the previous render's view.
    invalidateMatrixCaches(scene);

    for (Light* light : scene.activeLights)
        setupLight(*light, t);

    // Null objects and objects dissolved for the whole demo are skipped but still parent others.
    for (auto& object : scene.objects) {
        if (object->mesh && object->dissolve)
            drawSceneObject(*object, t, camera);
    }

    // Flares add light and never write depth; the blend enable stays as the last object set it.
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_LIGHTING);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_ONE, GL_ONE);
    for (Light* light : scene.flareLights) {
        glPushMatrix();
        drawFlare(*light, t);
        glPopMatrix();
    }
    glDepthMask(GL_TRUE);
    glEnable(GL_LIGHTING);

    if (scene.fgImage)
        drawForeground(scene, t);
    glFlush();
}

void setupLight(Light& light, float t)
{
    glPushMatrix();
    float view[16] = {};
    if (light.lightType == 0)
        glGetFloatv(GL_MODELVIEW_MATRIX, view);
    loadItemMatrix(light, t);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glLoadIdentity();

    // A distant light shines from its origin mirrored through the world origin, taken as a
    // direction: the view applied to minus its world position, 2 * view origin - its own eye
    // position. Mirroring the matrix stack instead would leave the mirrored matrix in the
    // light's and its parents' caches, where its children would pick it up; the flare takes
    // the mirrored point on its own (drawFlare).
    float position[4] = {m[12], m[13], m[14], 1.0f};
    if (light.lightType == 0) {
        for (int i = 0; i < 3; ++i)
            position[i] = 2.0f * view[12 + i] - m[12 + i];
        position[3] = 0.0f;
    }
    glLightfv(light.glLight, GL_POSITION, position);
    const float k = evaluateChannel(light.intensity, t);
    const float colour[4] = {k * light.colour.red, k * light.colour.green, k * light.colour.blue,
                             1.0f};
    glLightfv(light.glLight, GL_DIFFUSE, colour);
    glLightfv(light.glLight, GL_SPECULAR, colour);

    if (light.lightType == 2) {
        // The cone angle goes to GL unconverted, as degrees.
        glLightf(light.glLight, GL_SPOT_CUTOFF,
                 light.coneAngle ? evaluateChannel(*light.coneAngle, t) : 180.0f);
        const float direction[3] = {0.0f, 0.0f, 1.0f};
        glLightfv(light.glLight, GL_SPOT_DIRECTION, direction);
        // Vertex programs see the spot light's whole eye-space matrix as a tracked matrix.
        glMatrixMode(light.programMatrix);
        glLoadIdentity();
        glMultMatrixf(m);
        glMatrixMode(GL_MODELVIEW);
    }
    glPopMatrix();
}
