#include "RenderFixture.h"

#include "render/SceneRender.h"
#include "support/OffscreenGl.h"

#include <GL/gl.h>

#include <cstdlib>
#include <sstream>

namespace lws {

std::string envelope(const std::vector<std::pair<float, float>>& keys)
{
    std::ostringstream text;
    text << "{ Envelope\n  " << keys.size() << "\n";
    for (const auto& [time, value] : keys)
        text << "  Key " << value << " " << time << " 3 0 0 0 0 0 0\n";
    text << "  Behaviors 1 1\n}\n";
    return text.str();
}

std::string channel(float value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

std::string channel(const std::vector<std::pair<float, float>>& keys)
{
    return "(envelope)\n" + envelope(keys);
}

std::string motion(const Placement& p)
{
    const float values[9] = {p.x,    p.y,      p.z,      p.heading, p.pitch,
                             p.bank, p.scaleX, p.scaleY, p.scaleZ};
    std::ostringstream text;
    text << "NumChannels 9\n";
    for (int i = 0; i < 9; ++i)
        text << "Channel " << i << "\n" << envelope({{0.0f, values[i]}});
    return text.str();
}

std::string object(const std::string& objectFile, const Placement& placement,
                   const std::string& options)
{
    return "\nLoadObjectLayer 1 " + objectFile + "\nShowObject 6 7\nObjectMotion\n" +
           motion(placement) + options + "\nShadowOptions 7\n";
}

std::string light(const std::string& name, const Placement& placement,
                  const std::array<float, 3>& colour, const std::string& intensity, int type,
                  const std::string& extra)
{
    std::ostringstream text;
    text << "\nAddLight\nLightName " << name << "\nShowLight 1 7\nLightMotion\n"
         << motion(placement) << "LightColor " << colour[0] << " " << colour[1] << " " << colour[2]
         << "\nLightIntensity " << intensity << "\nAffectCaustics 1\nLightType " << type << "\n"
         << extra << "\nShadowType 1\n";
    return text.str();
}

std::string camera(const Placement& placement, const std::string& zoom, const std::string& blur,
                   const std::string& depth)
{
    return "\nAddCamera\nCameraName Camera\nShowCamera 1 2\nCameraMotion\n" + motion(placement) +
           "ZoomFactor " + zoom +
           "\nResolutionMultiplier 1.0 FrameSize 640 480 PixelAspect 1 MaskPosition 0 0 640 "
           "480\n" +
           blur + "\n" + depth + "\n";
}

} // namespace lws

namespace shapes {

Po2Description square(float half)
{
    Po2Description mesh;
    mesh.flags = MeshFlag::Polygons;
    // Up the left edge, across the top, down the right: clockwise on screen.
    mesh.positions = {-half, -half, 0.0f, -half, half, 0.0f, half, half, 0.0f, half, -half, 0.0f};
    mesh.polygonSizes = {4};
    mesh.vertexIndices = {0, 1, 2, 3};
    return mesh;
}

Po2Description colouredSquare(float half, const std::array<float, 4>& rgba)
{
    Po2Description mesh = square(half);
    mesh.flags |= MeshFlag::Colours;
    mesh.colours.assign(rgba.begin(), rgba.end());
    mesh.colourIndices = {0, 0, 0, 0};
    return mesh;
}

Po2Description floor(float x0, float x1, float z0, float z1, float height)
{
    Po2Description mesh;
    mesh.flags = MeshFlag::Polygons;
    // Near left, far left, far right, near right: clockwise seen from above and in front.
    mesh.positions = {x0, height, z0, x0, height, z1, x1, height, z1, x1, height, z0};
    mesh.polygonSizes = {4};
    mesh.vertexIndices = {0, 1, 2, 3};
    return mesh;
}

} // namespace shapes

void RenderFixture::SetUp()
{
    ensureOffscreenGl(size, size);
    resetGlState();
}

void RenderFixture::writeMesh(const std::string& objectFile, const Po2Description& mesh) const
{
    const std::string po2 = objectFile.substr(0, objectFile.size() - 3) + "po2";
    dir.write(po2, writePo2(mesh));
}

void RenderFixture::writeTga(const std::string& relative, const std::array<int, 4>& rgba) const
{
    constexpr int side = 4;
    std::string bytes(18, '\0');
    bytes[2] = 2; // uncompressed true colour
    bytes[12] = side;
    bytes[14] = side;
    bytes[16] = 32;
    bytes[17] = 8;
    for (int i = 0; i < side * side; ++i) {
        bytes += static_cast<char>(rgba[2]);
        bytes += static_cast<char>(rgba[1]);
        bytes += static_cast<char>(rgba[0]);
        bytes += static_cast<char>(rgba[3]);
    }
    dir.write(relative, bytes);
}

Scene& RenderFixture::load(const std::string& body, const std::string& name)
{
    const std::string header = "LWSC\n3\n\nFirstFrame 0\nLastFrame 60\nFrameStep 1\n"
                               "FramesPerSecond 30\n";
    dir.write("scenes/" + name + ".lws", header + body);
    scenes.push_back(loadSceneWithMaterials(name, assets));
    return *scenes.back();
}

void RenderFixture::render(Scene& scene, float t, std::size_t camera)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    enableSceneLights(scene);
    renderScene(scene, t, *scene.cameras.at(camera));
}

Rgb RenderFixture::pixel(int x, int y) const
{
    const std::vector<unsigned char> rgba = readPixelsRGBA(x, y, 1, 1);
    return {rgba[0], rgba[1], rgba[2]};
}

void RenderFixture::expectPixel(int x, int y, const Rgb& expected) const
{
    const Rgb actual = pixel(x, y);
    EXPECT_TRUE(std::abs(actual.r - expected.r) <= 2 && std::abs(actual.g - expected.g) <= 2 &&
                std::abs(actual.b - expected.b) <= 2)
        << "pixel (" << x << ", " << y << ") is (" << actual.r << ", " << actual.g << ", "
        << actual.b << "), expected (" << expected.r << ", " << expected.g << ", " << expected.b
        << ")";
}
