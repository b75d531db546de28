#include "FuzzSupport.h"

#include "mesh/Po2Writer.h"
#include "platform/OffscreenSurface.h"
#include "shell/GlStartup.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fuzz {

namespace {

struct ScratchFolder {
    std::filesystem::path path;

    ScratchFolder()
    {
        std::random_device random;
        path = std::filesystem::temp_directory_path() /
               ("dp-fuzz-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

ScratchFolder& scratch()
{
    static ScratchFolder folder;
    return folder;
}

// The names the bundled demo's scenes and timeline use, so seeds taken from it load whole.
constexpr const char* standInTextures[] = {
    "sky", "black", "Flare1", "checker", "marble", "glowtex",          "Fill",
    "Key", "Spot",  "Sun",    "Top",     "Warm",   "PleaseWaitLoading"};
constexpr const char* standInMeshes[] = {"blob",   "colourbox", "ground", "mixer",
                                         "pillar", "screenbox", "spark",  "spikes"};

std::string tgaStandIn()
{
    constexpr int side = 4;
    std::string bytes(18, '\0');
    bytes[2] = 2; // uncompressed true colour
    bytes[12] = side;
    bytes[14] = side;
    bytes[16] = 24;
    for (int i = 0; i < side * side; ++i)
        bytes += std::string{char(40 + i), char(90), char(200 - i)};
    return bytes;
}

// Two cameras that stand still: enough for any camera number a timeline line gives below 3.
std::string sceneStandIn()
{
    std::string text = "LWSC\n3\n\nFirstFrame 0\nLastFrame 300\nFrameStep 1\n"
                       "FramesPerSecond 30\n\n";
    for (int camera = 0; camera < 2; ++camera) {
        text += "AddCamera\nCameraName Camera\nShowCamera 1 2\nCameraMotion\nNumChannels 6\n";
        for (int c = 0; c < 6; ++c)
            text += "Channel " + std::to_string(c) + "\n{ Envelope\n  1\n  Key " +
                    (c == 2 ? "-5" : "0") + " 0 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
        text += "ZoomFactor 3.2\nResolutionMultiplier 1.0\nFrameSize 640 480\n"
                "PixelAspect 1\nMaskPosition 0 0 640 480\nMotionBlur 0\nFieldRendering 0\n\n";
    }
    return text;
}

constexpr const char* standInScenes[] = {"city", "morph", "orbit", "sparks"};

Po2Description meshStandIn()
{
    // A textured, coloured quad made of two triangles with one morph: every per-corner section.
    Po2Description mesh;
    mesh.flags = 0x01 | 0x02 | 0x08 | 0x20 | 0x40;
    mesh.texture0Name = "checker";
    mesh.positions = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
    mesh.vertexIndices = {0, 1, 2, 0, 2, 3};
    mesh.texCoords0 = {0, 0, 1, 0, 1, 1, 0, 1};
    mesh.texCoord0Indices = {0, 1, 2, 0, 2, 3};
    mesh.colours = {1, 0, 0, 1, 0, 1, 0, 1};
    mesh.colourIndices = {0, 1, 0, 1, 0, 1};
    mesh.morphSizes = {1};
    mesh.morphDeltas = {MorphDelta{0.5f, 0.0f, 0.0f, 2}};
    return mesh;
}

} // namespace

const std::string& scratchRoot()
{
    static const std::string root = scratch().path.string();
    return root;
}

std::string writeFile(const std::string& relativePath, const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path path = scratch().path / relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path.string();
}

std::string writeFile(const std::string& relativePath, const std::string& text)
{
    return writeFile(relativePath, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void ensureGl()
{
    static OffscreenSurface surface;
    if (surface.isOpen())
        return;
    if (const char* failure = surface.create(64, 64)) {
        std::fprintf(stderr, "offscreen GL: %s\n", failure);
        std::abort();
    }
    initialiseGL();
}

const std::string& standInDemo()
{
    static const std::string root = [] {
        const std::string tga = tgaStandIn();
        for (const char* name : standInTextures)
            writeFile(std::string("demo/tex/") + name + ".tga", tga);
        const std::string po2 = writePo2(meshStandIn());
        for (const char* name : standInMeshes)
            writeFile(std::string("demo/objects/") + name + ".po2", po2);
        const std::string scene = sceneStandIn();
        for (const char* name : standInScenes)
            writeFile(std::string("demo/scn/") + name + ".lws", scene);
        writeFile("demo/shd/vp.txt", "!!ARBvp1.0\nMOV result.position, vertex.position;\nEND\n");
        writeFile("demo/shd/fp.txt", "!!ARBfp1.0\nMOV result.color, fragment.color;\nEND\n");
        return (scratch().path / "demo").string();
    }();
    return root;
}

} // namespace fuzz
