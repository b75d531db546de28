#pragma once

#include "material/MaterialFile.h"
#include "mesh/Mesh.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"
#include "timeline/DemoAssets.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A scene built in memory, whose objects carry meshes of the given names, and its material file
// written as text into a temporary demo folder. GL is current: each block's programs, textures
// and combiners are loaded, and its stages completed from the driver, once it is read.
class MaterialFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureOffscreenGl();
        resetGlState();
    }

    // An object whose mesh has this name ("Objects/Ship.lwo"); an empty name is a null object.
    SceneObject& addObject(const std::string& meshName)
    {
        auto object = std::make_unique<SceneObject>();
        if (!meshName.empty()) {
            meshes.push_back(std::make_unique<Mesh>());
            meshes.back()->name = meshName;
            object->mesh = meshes.back().get();
        }
        scene.objects.push_back(std::move(object));
        return *scene.objects.back();
    }

    void read(const std::string& text)
    {
        dir.write("scenes/test.txt", text);
        readMaterialFile(scene, assets.paths, assets.textures, assets.programs);
    }

    // The loading error's text, or "" when the file reads.
    std::string readError(const std::string& text)
    {
        try {
            read(text);
        } catch (const LoadError& error) {
            return error.what();
        }
        return "";
    }

    // The one material of a background-image block with this body (the closing "." added).
    const Material& block(const std::string& body)
    {
        scene.bgPasses.clear();
        read("BackgroundImage\n" + body + "\n.\n");
        EXPECT_EQ(scene.bgPasses.size(), 1u);
        return scene.bgPasses.at(0);
    }

    std::string materialPath() const { return dir.file("scenes/test.txt"); }

    TempDir dir;
    DemoAssets assets{DemoPaths{dir.path().string(), "tex", "scenes", 1.0f}};
    std::vector<std::unique_ptr<Mesh>> meshes;
    Scene scene{"test", 1.0f}; // destroyed first: its passes use the registries
};
