#pragma once

#include <memory>

class Bone;
class Camera;
class Light;
class MappedTextFile;
class Mesh;
class Scene;
class SceneObject;
class TextureCache;

// The item readers. Each reads the block that follows its scene keyword with a word of its own;
// the last word it reads and does not use is lost to the scene reader.

// After "LoadObjectLayer" and its two words (with the object's mesh) or "AddNullObject" and its
// name (mesh null). Counts shadow casters and receivers into the scene.
std::unique_ptr<SceneObject> readObjectBlock(MappedTextFile& file, Scene& scene, const Mesh* mesh);

// One "AddBone" block, up to and including its "ParentItem" identifier.
std::unique_ptr<Bone> readBoneBlock(MappedTextFile& file);

// After "LightName": the name and the rest of the block. Hands out GL lights in file order and
// counts flares and shadow lights into the scene. Flare textures come from the cache.
std::unique_ptr<Light> readLightBlock(MappedTextFile& file, Scene& scene, TextureCache& textures);

// After "CameraMotion".
std::unique_ptr<Camera> readCameraBlock(MappedTextFile& file);
