#include "render/ObjectDraw.h"

#include "anim/Channel.h"
#include "anim/Envelope.h"
#include "image/TextureCache.h"
#include "mesh/Mesh.h"
#include "render/MaterialPass.h"
#include "render/MeshDraw.h"
#include "scene/SceneObject.h"
#include "shell/GlExtensions.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>
#include <unordered_set>
#include <vector>

namespace {

constexpr float mixerWeightThreshold = 0.0001f;

// The working copy starts out as the base shape: vertices that a blend or a copy does not reach
// (a target with fewer vertices) must not keep the zeroes of a fresh copy.
void copyBasePositions(Mesh& out, const Mesh& base)
{
    const std::size_t floats = std::min(out.positions.size(), base.positions.size());
    std::copy_n(base.positions.begin(), floats, out.positions.begin());
}

// Whether a blend toward this object uses its own working copy, which must then be brought up
// to date first.
bool morphsItself(const SceneObject& object)
{
    return object.morphTargetNumber != -1 && object.morphMesh != nullptr;
}

} // namespace

void updateMorph(SceneObject& object, float t)
{
    // The chain P -> Q -> R is walked without recursion (a file can chain thousands of objects):
    // every working copy is reset to its base shape going down, and the blends run coming back
    // up, so each object blends toward its target's finished shape. A target already in the
    // chain (a cycle in the file) is blended toward as it stands.
    std::vector<SceneObject*> chain;
    std::unordered_set<const SceneObject*> inChain;
    for (SceneObject* at = &object; at;) {
        if (!at->morphMesh || !at->mesh)
            break;
        copyBasePositions(*at->morphMesh, *at->mesh);
        chain.push_back(at);
        inChain.insert(at);
        SceneObject* target = at->morphTarget;
        // A target the file named beyond its objects, or a null object, leaves the base shape.
        if (!target || !target->mesh || !morphsItself(*target) || inChain.count(target))
            break;
        at = target;
    }
    for (auto next = chain.rbegin(); next != chain.rend(); ++next) {
        SceneObject& item = **next;
        const SceneObject* target = item.morphTarget;
        if (!target || !target->mesh)
            continue;
        const Mesh& towards = morphsItself(*target) ? *target->morphMesh : *target->mesh;
        const float amount = item.morphAmount ? evaluateChannel(*item.morphAmount, t) : 0.0f;
        blendPositions(*item.morphMesh, *item.mesh, towards, amount);
    }
}

namespace {

// Draws the mesh as the object is set up for: display list, immediate mode or point sprites.
// The texture set-up is done by the caller, once for all passes.
void drawPrepared(const SceneObject& object, float t)
{
    const Mesh& mesh = *object.mesh;
    if (!isAnimated(object)) {
        if (mesh.has(MeshFlag::Polygons))
            glCallList(mesh.displayList.get());
        else
            drawMeshPoints(mesh, evaluateChannel(object.polygonSize, t));
        return;
    }
    if (mesh.has(MeshFlag::Polygons))
        drawMeshPolygons(*object.morphMesh);
    else
        drawMeshPoints(*object.morphMesh, evaluateChannel(object.polygonSize, t));
}

// Mesh preparation and texture units, shared by the plain draw and the material passes.
void prepareObject(SceneObject& object, float t)
{
    const Mesh& mesh = *object.mesh;
    const Mesh& drawn = isAnimated(object) ? *object.morphMesh : mesh;
    if (isAnimated(object))
        prepareAnimatedMesh(object, t);
    // The working copy shares the base mesh's flags and textures.
    if (mesh.has(MeshFlag::Polygons))
        setupMeshTextures(mesh, static_cast<std::uint8_t>(object.flags & 0xFFu));
    else
        setupMeshPoints(drawn);
}

} // namespace

bool isAnimated(const SceneObject& object)
{
    // Without a working copy (a null object's morph lines) there is nothing to animate into.
    return object.morphMesh &&
           (object.morphTargetNumber != -1 || object.has(ObjectFlag::morphMixer));
}

void applyMorphMixer(SceneObject& object, float t)
{
    if (!object.morphMesh || !object.mesh)
        return;
    Mesh& out = *object.morphMesh;
    if (object.morphTargetNumber == -1)
        copyBasePositions(out, *object.mesh);

    // Channel i drives morph i; the walk stops at whichever of the envelopes, the mesh's morphs
    // and its delta table ends first.
    const std::size_t channels =
        std::min<std::size_t>({static_cast<std::size_t>(std::max(object.morphChannelCount, 0)),
                               object.morphEnvelopes.size(), out.morphSizes.size()});
    const std::size_t deltaCount = out.morphDeltas.size();
    std::size_t next = 0;
    for (std::size_t i = 0; i < channels && next < deltaCount; ++i) {
        const std::size_t size = out.morphSizes[i];
        const std::size_t end = std::min(next + size, deltaCount);
        const float weight = evaluateEnvelope(object.morphEnvelopes[i], t);
        if (weight > mixerWeightThreshold) {
            for (std::size_t d = next; d < end; ++d)
                applyMorphDelta(out, out.morphDeltas[d], weight);
        }
        next = end;
    }
}

void prepareAnimatedMesh(SceneObject& object, float t)
{
    if (!isAnimated(object))
        return;
    if (object.morphTargetNumber != -1)
        updateMorph(object, t);
    if (object.has(ObjectFlag::morphMixer))
        applyMorphMixer(object, t);
    Mesh& out = *object.morphMesh;
    // Unlit objects without an environment map never look at their normals, so they keep the
    // stale ones and save the recomputation.
    if (out.has(MeshFlag::Polygons) &&
        (!object.has(ObjectFlag::unlit) || out.has(MeshFlag::EnvironmentTexture)))
        computeNormals(out);
}

void setupMeshPoints(const Mesh& mesh)
{
    disableTextureUnit(1);
    if (mesh.texture1)
        bindTextureUnit(*mesh.texture1, 0);
    else
        ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}

void drawObject(SceneObject& object, float t)
{
    if (!object.mesh)
        return;
    prepareObject(object, t);
    drawPrepared(object, t);
}

void drawObjectWithMaterials(SceneObject& object, float t)
{
    if (!object.mesh)
        return;
    // Done once: each pass's texture stages override the mesh's texture set-up for that pass.
    prepareObject(object, t);
    for (const Material& material : object.passes)
        drawMaterialPass(material, nullptr, [&object, t] { drawPrepared(object, t); });
}
