#pragma once

#include "anim/Channel.h"
#include "anim/Motion.h"
#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

// Two scenes as the player loaded them, compared item by item: counts, parents (by position),
// every motion channel at times between and on keys, and the values drawing reads.
namespace scenecompare {

inline const std::vector<float>& sampleTimes()
{
    static const std::vector<float> times = {-0.5f, 0.0f, 0.25f, 0.5f, 1.0f, 1.3f, 2.0f, 3.5f};
    return times;
}

template <class Item>
int positionOf(const std::vector<std::unique_ptr<Item>>& items, const SceneItem* item)
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].get() == item)
            return static_cast<int>(i);
    return -1;
}

// Where an item's parent stands: kind and position, or (0, -1) for none.
inline std::pair<int, int> parentOf(const Scene& scene, const SceneItem& item)
{
    if (!item.parent)
        return {0, -1};
    if (int at = positionOf(scene.objects, item.parent); at >= 0)
        return {1, at};
    if (int at = positionOf(scene.lights, item.parent); at >= 0)
        return {2, at};
    return {3, positionOf(scene.cameras, item.parent)};
}

inline void expectSameMotion(const Motion& expected, const Motion& actual)
{
    ASSERT_EQ(expected.count(), actual.count());
    for (int channel = 0; channel < expected.count(); ++channel)
        for (float t : sampleTimes())
            EXPECT_NEAR(evaluateMotionChannel(expected, static_cast<MotionChannel>(channel), t),
                        evaluateMotionChannel(actual, static_cast<MotionChannel>(channel), t),
                        1e-5f)
                << "channel " << channel << " at " << t;
}

inline void expectSameChannel(const std::optional<Channel>& expected,
                              const std::optional<Channel>& actual)
{
    ASSERT_EQ(expected.has_value(), actual.has_value());
    if (!expected)
        return;
    for (float t : sampleTimes())
        EXPECT_NEAR(evaluateChannel(*expected, t), evaluateChannel(*actual, t), 1e-5f);
}

inline void expectSameChannel(const Channel& expected, const Channel& actual)
{
    for (float t : sampleTimes())
        EXPECT_NEAR(evaluateChannel(expected, t), evaluateChannel(actual, t), 1e-5f);
}

inline void expectSameScene(const Scene& expected, const Scene& actual)
{
    EXPECT_EQ(expected.startTime, actual.startTime);
    EXPECT_EQ(expected.endTime, actual.endTime);
    expectSameChannel(expected.ambientIntensity, actual.ambientIntensity);
    ASSERT_EQ(expected.objects.size(), actual.objects.size());
    for (std::size_t i = 0; i < expected.objects.size(); ++i) {
        SCOPED_TRACE("object " + std::to_string(i));
        const SceneObject& want = *expected.objects[i];
        const SceneObject& got = *actual.objects[i];
        EXPECT_EQ(want.mesh != nullptr, got.mesh != nullptr);
        EXPECT_EQ(parentOf(expected, want), parentOf(actual, got));
        expectSameMotion(want.motion, got.motion);
        expectSameChannel(want.dissolve, got.dissolve);
        expectSameChannel(want.morphAmount, got.morphAmount);
        EXPECT_EQ(positionOf(expected.objects, want.morphTarget),
                  positionOf(actual.objects, got.morphTarget));
        EXPECT_EQ(want.flags, got.flags);
        ASSERT_EQ(want.bones.size(), got.bones.size());
        for (std::size_t b = 0; b < want.bones.size(); ++b) {
            EXPECT_EQ(positionOf(want.bones, want.bones[b]->parent),
                      positionOf(got.bones, got.bones[b]->parent));
            EXPECT_EQ(want.bones[b]->parent == &want, got.bones[b]->parent == &got);
            expectSameMotion(want.bones[b]->motion, got.bones[b]->motion);
        }
    }
    ASSERT_EQ(expected.lights.size(), actual.lights.size());
    for (std::size_t i = 0; i < expected.lights.size(); ++i) {
        SCOPED_TRACE("light " + std::to_string(i));
        const Light& want = *expected.lights[i];
        const Light& got = *actual.lights[i];
        EXPECT_EQ(want.name, got.name);
        EXPECT_EQ(want.lightType, got.lightType);
        EXPECT_EQ(parentOf(expected, want), parentOf(actual, got));
        expectSameMotion(want.motion, got.motion);
        expectSameChannel(want.intensity, got.intensity);
        expectSameChannel(want.coneAngle, got.coneAngle);
        expectSameChannel(want.flareIntensity, got.flareIntensity);
    }
    ASSERT_EQ(expected.cameras.size(), actual.cameras.size());
    for (std::size_t i = 0; i < expected.cameras.size(); ++i) {
        SCOPED_TRACE("camera " + std::to_string(i));
        const Camera& want = *expected.cameras[i];
        const Camera& got = *actual.cameras[i];
        EXPECT_EQ(parentOf(expected, want), parentOf(actual, got));
        expectSameMotion(want.motion, got.motion);
        expectSameChannel(want.zoomFactor, got.zoomFactor);
        expectSameChannel(want.focalDistance, got.focalDistance);
    }
}

} // namespace scenecompare
