#pragma once

#include "scene/Scene.h"
#include "scene/SceneLoader.h"
#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "support/TempDir.h"
#include "timeline/DemoAssets.h"

#include <memory>
#include <string>

// A demo folder in a temporary directory, with the registries a scene loads through.
struct SceneFiles {
    TempDir dir;
    DemoAssets assets{DemoPaths{dir.path().string(), "tex", "scenes", 1.0f}};

    void writeScene(const std::string& name, const std::string& text) const
    {
        dir.write("scenes/" + name + ".lws", text);
    }

    std::unique_ptr<Scene> load(const std::string& text, const std::string& name = "test")
    {
        writeScene(name, text);
        return loadScene(name, assets.paths, assets.meshes, assets.textures);
    }

    // The loading error's text, or "" when the scene loads.
    std::string loadError(const std::string& text, const std::string& name = "test")
    {
        try {
            load(text, name);
        } catch (const LoadError& error) {
            return error.what();
        }
        return "";
    }
};
