#pragma once

#include "image/TextureCache.h"
#include "material/ProgramRegistry.h"
#include "mesh/MeshRegistry.h"
#include "shell/DemoConfig.h"
#include "timeline/SceneRegistry.h"

#include <memory>
#include <optional>
#include <string>

class Scene;

// Everything one demo loads, each part once, and the folders it loads from: the one place that
// knows how the registries hang together. Members are declared in construction order, so
// teardown frees scenes, programs, meshes and textures in that order on the normal and on the
// error path; their GL objects go with them, so the context must still be current. Neither
// copied nor moved: the registries keep references to the paths and to each other.
struct DemoAssets {
    // From a configuration (DemoPaths::fromSettings) or a folder given part by part, with the
    // user's ceiling on anisotropic filtering if there is one.
    explicit DemoAssets(DemoPaths demoPaths, std::optional<float> anisotropy = std::nullopt);
    DemoAssets(const DemoAssets&) = delete;
    DemoAssets& operator=(const DemoAssets&) = delete;

    DemoPaths paths;
    TextureCache textures;
    MeshRegistry meshes{textures, paths};
    ProgramRegistry programs{paths};
    SceneRegistry scenes{*this};
};

// rootDir/scenesDir/<name>.lws with its meshes and textures, then its material file, whose blocks
// name objects and so are read once every object exists (GL must be current). The scene is not
// kept in assets.scenes; meshes, textures and programs are kept in their registries, even when a
// later part fails with a LoadError.
std::unique_ptr<Scene> loadSceneWithMaterials(const std::string& name, DemoAssets& assets);
