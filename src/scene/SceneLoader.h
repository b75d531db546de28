#pragma once

#include <memory>
#include <string>

class MeshRegistry;
class ProgramRegistry;
class Scene;
class TextureCache;

// Loads rootDir/scenesDir/<name>.lws (the paths are the program registry's), with its meshes
// and textures (GL must be current), then the scene's optional material file. Every failure is a
// LoadError; nothing of the scene is kept then, though meshes and textures already loaded stay
// in their registries.
std::unique_ptr<Scene> loadScene(const std::string& name, MeshRegistry& meshes,
                                 TextureCache& textures, ProgramRegistry& programs);
