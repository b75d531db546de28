#pragma once

class Mesh;
class SceneObject;

// Drawing of one scene object whose eye-space matrix, lighting, depth, blending and colour the
// scene render has already set. Times are scene seconds.

// True when the object draws from its working copy (a morph target or an active morph mixer)
// instead of its mesh's display list.
bool isAnimated(const SceneObject& object);

// Brings the object's working-copy positions to time t along its chain of morph targets: a
// target that morphs itself is brought up to date first and its working copy is blended toward.
void updateMorph(SceneObject& object, float t);

// Adds the weighted morph deltas of the object's mixer channels to its working copy: on top of
// the blended positions with a morph target, on top of the base positions without one.
void applyMorphMixer(SceneObject& object, float t);

// Morphs, mixes and, where lighting or an environment map needs them, renormals the working copy.
void prepareAnimatedMesh(SceneObject& object, float t);

// Texture set-up of a mesh drawn as point sprites.
void setupMeshPoints(const Mesh& mesh);

// Draws the object once with the current GL state.
void drawObject(SceneObject& object, float t);

// Draws the object once per material pass, each pass inside its own full attribute push and pop.
void drawObjectWithMaterials(SceneObject& object, float t);
