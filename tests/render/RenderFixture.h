#pragma once

#include "mesh/Po2Writer.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"
#include "support/TempDir.h"
#include "timeline/DemoAssets.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Scene-file text in the layout LightWave writes, reduced to what the scene reader looks at.
namespace lws {

// Position, rotation (radians) and scale of an item, constant over time.
struct Placement {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float heading = 0.0f, pitch = 0.0f, bank = 0.0f;
    float scaleX = 1.0f, scaleY = 1.0f, scaleZ = 1.0f;
};

// An envelope block of linear keys (time, value), constant before and after.
std::string envelope(const std::vector<std::pair<float, float>>& keys);
// A channel value: a number, or "(envelope)" and its block.
std::string channel(float value);
std::string channel(const std::vector<std::pair<float, float>>& keys);
std::string motion(const Placement& placement);

// "LoadObjectLayer" with the given object file; options are the optional object lines in their
// fixed order (morph, plug-in, dissolve, polygon size, switches). The block always ends with
// "ShadowOptions 7" so that the reader stops there.
std::string object(const std::string& objectFile, const Placement& placement,
                   const std::string& options = "");
// A light block; extra goes after "LightType" (cone angle, flare lines).
std::string light(const std::string& name, const Placement& placement,
                  const std::array<float, 3>& colour, const std::string& intensity, int type,
                  const std::string& extra = "");
// A camera block; blur and depth are the lines after "MotionBlur" and "DepthOfField".
std::string camera(const Placement& placement, const std::string& zoom = "3.2",
                   const std::string& blur = "MotionBlur 0 FieldRendering 0",
                   const std::string& depth = "DepthOfField 0");

} // namespace lws

// PO2 shapes in LightWave's clockwise winding (front faces clockwise as the camera sees them).
namespace shapes {
// A square in the XY plane around the origin, facing -Z (towards a camera on the -Z side).
Po2Description square(float half);
// The same with one RGBA colour on every corner.
Po2Description colouredSquare(float half, const std::array<float, 4>& rgba);
// A rectangle on the plane y = height from (x0, z0) to (x1, z1), facing up.
Po2Description floor(float x0, float x1, float z0, float z1, float height);
} // namespace shapes

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// A temporary demo root with its registries on the shared offscreen context. Scenes load from
// root/scenes, meshes from root/Objects, textures from root/textures.
class RenderFixture : public ::testing::Test {
protected:
    static constexpr int size = 64;

    void SetUp() override;

    // Writes the mesh for the object file name a scene gives ("Objects/X.lwo" -> Objects/X.po2).
    void writeMesh(const std::string& objectFile, const Po2Description& mesh) const;
    // A uniform 4 x 4 32-bit TGA at root/relative.
    void writeTga(const std::string& relative, const std::array<int, 4>& rgba) const;
    // Header plus body as root/scenes/<name>.lws, loaded with its meshes and textures.
    Scene& load(const std::string& body, const std::string& name = "test");
    // Clears colour and depth, then does what a layer does for one event.
    void render(Scene& scene, float t = 0.0f, std::size_t camera = 0);

    Rgb pixel(int x, int y) const;
    // Pixel (x, y) within 2/255 of the expected colour on each channel.
    void expectPixel(int x, int y, const Rgb& expected) const;

    TempDir dir;
    DemoAssets assets{DemoPaths{dir.path().string(), "textures", "scenes", 1.0f}};
    std::vector<std::unique_ptr<Scene>> scenes; // destroyed before the registries they use
};
