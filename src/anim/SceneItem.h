#pragma once

#include "anim/Motion.h"

#include <cstdint>
#include <optional>
#include <string_view>

class MappedTextFile;

// The parsed "ParentItem" identifier: kind in bits 28-31 (1 object, 2 light, 3 camera, 4 bone).
// Bones keep their index in bits 16-27 and their object in bits 0-15; other kinds keep their
// 0-based position among the scene's items of that kind in bits 0-15.
struct ParentRef {
    static constexpr std::int16_t object = 1;
    static constexpr std::int16_t light = 2;
    static constexpr std::int16_t camera = 3;
    static constexpr std::int16_t bone = 4;

    std::int16_t kind = 0;
    std::uint16_t index = 0;
    std::int16_t objectIndex = 0; // bones only
};

ParentRef parentRefFromId(std::uint32_t id);
// One word converted with "%x"; a word that does not convert gives kind 0, which names nothing.
ParentRef parseParentRef(MappedTextFile& file);

// The channel-lock and controller lines objects, lights and cameras may carry before
// "ParentItem", each optional but always in LightWave's order: from word on, every one present
// is skipped with its value. Returns the first word after them.
std::string_view skipControllerLines(MappedTextFile& file, std::string_view word);

// An item's last eye-space matrix, GL column order, and the scene time it was computed for.
struct MatrixCache {
    static constexpr float invalidTime = -1.0f;

    float matrix[16] = {};
    float time = invalidTime;
};

// The part every object, light, camera and bone shares. Items are referenced by their children
// through `parent`, so they never move or copy once created.
class SceneItem {
public:
    SceneItem() = default;
    SceneItem(const SceneItem&) = delete;
    SceneItem& operator=(const SceneItem&) = delete;
    virtual ~SceneItem() = default;

    // Leaves the item's eye-space matrix at time t in the current GL matrix and in matrixCache,
    // building on the parent's matrix first. Bones override it (see loadBoneMatrix).
    virtual void loadItemMatrix(float t);
    // The item whose matrix this one builds on: the parent, except where bones say otherwise.
    virtual SceneItem* matrixParent() const { return parent; }

    std::optional<ParentRef> parentRef;
    SceneItem* parent = nullptr; // resolved after loading; not owned
    Motion motion;
    MatrixCache matrixCache;
};
