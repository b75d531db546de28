#pragma once

#include "anim/Channel.h"
#include "anim/Envelope.h"
#include "anim/SceneItem.h"
#include "scene/Bone.h"
#include "scene/Material.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class Mesh;

// Drawing switches of an object. The LightWave options keep their keywords but their own
// meaning is not used.
namespace ObjectFlag {
constexpr std::uint32_t additive = 0x001;       // "UnseenByRays": blend one, one, no depth writes
constexpr std::uint32_t unlit = 0x002;          // "UnaffectedByFog": no lighting
constexpr std::uint32_t noDepthTest = 0x004;    // "UnseenByCamera"
constexpr std::uint32_t morphMixer = 0x008;     // mixer plug-in without "PluginEnabled" after it
constexpr std::uint32_t noBlending = 0x010;     // "UnseenByAlphaChannel"
constexpr std::uint32_t combineScale2 = 0x020;  // "LineThickness" 2: texture unit 1 scales by 2
constexpr std::uint32_t combineScale4 = 0x040;  // any other "LineThickness": scales by 4
constexpr std::uint32_t shadowCaster = 0x080;   // "ShadowOptions" 2
constexpr std::uint32_t shadowReceiver = 0x100; // "ShadowOptions" 4
} // namespace ObjectFlag

// One object item: an object layer with its mesh, or a null object without one.
class SceneObject : public SceneItem {
public:
    SceneObject();
    ~SceneObject() override;

    Channel polygonSize;             // point size / 3000 for meshes without polygons; 1.0
    std::optional<Channel> dissolve; // 0.0 by default; none: fully dissolved, never drawn
    const Mesh* mesh = nullptr;      // owned by the MeshRegistry; none for null objects
    std::optional<Channel> morphAmount;
    std::unique_ptr<Mesh> morphMesh; // working copy that morphing writes into
    SceneObject* morphTarget = nullptr;
    // Exactly mesh->boneCount bones; empty without "BoneFalloffType".
    std::vector<std::unique_ptr<Bone>> bones;
    std::int32_t morphTargetNumber = -1; // 1-based "MorphTarget"; -1 none
    std::uint32_t flags = 0;
    // Mixer weight curves, one per morph of the mesh in its morph order. Never more than
    // morphChannelCount, and drawing must also stay below the mesh's morphCount.
    std::int32_t morphChannelCount = 0;
    std::vector<Envelope> morphEnvelopes;
    PassList passes; // filled by the material file

    bool has(std::uint32_t flag) const { return (flags & flag) != 0; }
};
