#pragma once

#include <memory>
#include <string>

class MeshRegistry;
class Scene;
class TextureCache;
struct DemoPaths;

// Loads rootDir/scenesDir/<name>.lws with its meshes and textures (GL must be current). Material
// passes are not read here: the material file is read afterwards, once every object exists.
// Every failure is a LoadError; nothing of the scene is kept then, though meshes and textures
// already loaded stay in their registries.
std::unique_ptr<Scene> loadScene(const std::string& name, const DemoPaths& paths,
                                 MeshRegistry& meshes, TextureCache& textures);

// loadScene in its two steps. readScene makes no GL object of the scene's own; the meshes and
// textures it names still come through their registries, which upload them. uploadScene then
// makes what the scene owns in GL: the shadow texture of each light marked for one.
std::unique_ptr<Scene> readScene(const std::string& name, const DemoPaths& paths,
                                 MeshRegistry& meshes, TextureCache& textures);
void uploadScene(Scene& scene);
