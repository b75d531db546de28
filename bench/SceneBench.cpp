#include "Interleaved.h"
#include "scene/Scene.h"
#include "scene/SceneLoader.h"
#include "shell/DemoConfig.h"
#include "shell/MappedTextFile.h"
#include "support/TempDir.h"
#include "timeline/DemoAssets.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string envelopeBlock(int keys, int seed)
{
    std::string text = "{ Envelope\n  " + std::to_string(keys) + "\n";
    for (int k = 0; k < keys; ++k)
        text += "  Key " + std::to_string((seed * 7 + k * 13) % 100) + "." +
                std::to_string(k % 10) + " " + std::to_string(k) + ".5 " + std::to_string(k % 6) +
                " 0.1 -0.2 0.3 0.4 0.5 0\n";
    return text + "  Behaviors 1 1\n}\n";
}

std::string motionBlock(int channels, int seed)
{
    std::string text = "NumChannels " + std::to_string(channels) + "\n";
    for (int i = 0; i < channels; ++i)
        text += "Channel " + std::to_string(i) + "\n" + envelopeBlock(4 + (seed + i) % 5, seed + i);
    return text;
}

// Null objects, switched-off lights and cameras, every channel enveloped, until the text holds
// about `bytes` bytes: nothing needs GL.
std::string generatedScene(std::size_t bytes)
{
    std::string text = "LWSC\n3\n\nFirstFrame 0\nLastFrame 3000\nFramesPerSecond 30\n"
                       "AmbientColor 1 1 1\nAmbientIntensity 0.2\nFogType 1\n";
    for (int item = 0; text.size() < bytes; ++item) {
        const int kind = item % 10;
        if (kind < 7) {
            text += "AddNullObject Null" + std::to_string(item) +
                    "\nShowObject 6 3\nObjectMotion\n" + motionBlock(9, item) +
                    "ParentItem 1000000" + std::to_string(item % 8) +
                    "\nObjectDissolve (envelope)\n" + envelopeBlock(3, item) +
                    "PolygonSize 1\nUnseenByRays 1\nShadowOptions 7\n\n";
        } else if (kind < 9) {
            text += "AddLight\nLightName Light" + std::to_string(item) +
                    "\nShowLight 0 5\nLightMotion\n" + motionBlock(9, item) +
                    "LightColor 1 1 1\nLightIntensity 0\nAffectCaustics 1\nLightType 1\n"
                    "LightFalloffType 0\nLightRange 1\nShadowType 1\nShadowColor 0 0 0\n\n";
        } else {
            text += "AddCamera\nCameraName Camera\nShowCamera 1 2\nCameraMotion\n" +
                    motionBlock(6, item) + "ZoomFactor (envelope)\n" + envelopeBlock(3, item) +
                    "ResolutionMultiplier 1.0\nFrameSize 640 480\nPixelAspect 1\n"
                    "MaskPosition 0 0 640 480\nMotionBlur 0\nFieldRendering 0\n\n";
        }
    }
    return text;
}

struct GeneratedDemo {
    TempDir dir;
    DemoPaths paths{dir.path().string(), "tex", "scenes", 1.0f};
    std::size_t size = 0;

    GeneratedDemo()
    {
        const std::string text = generatedScene(10u << 20);
        size = text.size();
        dir.write("scenes/big.lws", text);
    }
};

GeneratedDemo& demo()
{
    static GeneratedDemo generated;
    return generated;
}

// The scene read as the player reads it, interleaved with the floor for any word-by-word reader:
// finding the runs of graphic characters and nothing more.
void BM_SceneText(benchmark::State& state)
{
    GeneratedDemo& files = demo();
    MappedTextFile file(files.dir.file("scenes/big.lws"));
    const auto player = [&files] {
        DemoAssets assets(files.paths);
        auto scene = loadScene("big", assets.paths, assets.meshes, assets.textures);
        benchmark::DoNotOptimize(scene->objects.size());
    };
    const auto baseline = [&file] {
        file.setPosition(0);
        std::size_t words = 0;
        while (!file.readWordView().empty())
            ++words;
        benchmark::DoNotOptimize(words);
    };
    InterleavedPair pair{player, baseline};
    pair.bytesPerRun = static_cast<double>(files.size);
    runInterleaved(state, "scene_text_over_graphic_run_scan", pair);
}
BENCHMARK(BM_SceneText)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);

} // namespace

int main(int argc, char** argv)
{
    return interleavedMain(argc, argv);
}
