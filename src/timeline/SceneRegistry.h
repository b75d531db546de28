#pragma once

#include <memory>
#include <string>
#include <vector>

class MeshRegistry;
class ProgramRegistry;
class Scene;
class TextureCache;

// Every scene the timeline names, loaded once and shared by all the events that name it.
class SceneRegistry {
public:
    SceneRegistry(TextureCache& textures, MeshRegistry& meshes, ProgramRegistry& programs);
    SceneRegistry(const SceneRegistry&) = delete;
    SceneRegistry& operator=(const SceneRegistry&) = delete;
    ~SceneRegistry();

    // The first scene of exactly this name, else rootDir/scenesDir/<name>.lws and its material
    // file loaded now (GL must be current). A scene that fails to load is not kept.
    Scene& getOrLoad(const std::string& name);
    std::size_t count() const { return scenes.size(); }

    TextureCache& textures;
    MeshRegistry& meshes;
    ProgramRegistry& programs;

private:
    std::vector<std::unique_ptr<Scene>> scenes; // load order
};
