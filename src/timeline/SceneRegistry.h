#pragma once

#include <memory>
#include <string>
#include <vector>

class Scene;
struct DemoAssets;

// Every scene the timeline names, loaded once and shared by all the events that name it.
class SceneRegistry {
public:
    // The assets the scenes load through; this registry is one of them.
    explicit SceneRegistry(DemoAssets& demoAssets);
    SceneRegistry(const SceneRegistry&) = delete;
    SceneRegistry& operator=(const SceneRegistry&) = delete;
    ~SceneRegistry();

    // The first scene of exactly this name, else rootDir/scenesDir/<name>.lws and its material
    // file loaded now (GL must be current). A scene that fails to load is not kept.
    Scene& getOrLoad(const std::string& name);
    std::size_t count() const { return scenes.size(); }

private:
    DemoAssets& assets;
    std::vector<std::unique_ptr<Scene>> scenes; // load order
};
