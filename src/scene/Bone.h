#pragma once

#include "anim/SceneItem.h"

// One bone of an object. Its rest pose is kept but enters no matrix, and drawing never asks for
// a bone's matrix.
class Bone : public SceneItem {
public:
    // Builds on the parent's matrix only when the parent is another bone.
    void loadItemMatrix(float t) override;
    SceneItem* matrixParent() const override;

    float restPosition[3] = {0.0f, 0.0f, 0.0f}; // "BoneRestPosition" x, y, z
    float restPitch = 0.0f;   // degrees about X: the second "BoneRestDirection" value
    float restHeading = 0.0f; // degrees about Y: the first value
    float restBank = 0.0f;    // degrees about Z: the third value
};
