// A texture layer's copy of the frame into its target, interleaved with the bare
// glCopyTexSubImage2D on the same texture with the same mipmap generation. The layer has no
// event due, so the player's frame is the copy and its own set-up around it.
#include "Interleaved.h"
#include "image/Image.h"
#include "image/TextureCache.h"
#include "image/TextureUpload.h"
#include "shell/DemoConfig.h"
#include "support/OffscreenGl.h"
#include "timeline/DemoAssets.h"
#include "timeline/FrameComposition.h"
#include "timeline/Timeline.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

namespace {

constexpr int width = 640;
constexpr int height = 480;
constexpr std::uint16_t targetSide = 256;

void BM_TextureLayerCopy(benchmark::State& state)
{
    ensureOffscreenGl(width, height);
    resetGlState();
    DemoAssets assets{DemoPaths{}};
    Timeline timeline(assets);

    Texture target("layer");
    Image picture;
    picture.components = 3;
    picture.width = targetSide;
    picture.height = targetSide;
    picture.pixels.assign(picture.byteCount(), 0);
    uploadImage(target, picture);
    Layer layer;
    layer.target = &target;
    layer.name = "layer";
    timeline.layers.push_back(layer);

    const auto player = [&timeline] {
        renderFrame(timeline, 0.0f, 0);
        glFinish();
    };
    const auto baseline = [&target] {
        glBindTexture(GL_TEXTURE_2D, target.glName.get());
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, targetSide, targetSide);
        glFinish();
    };
    runInterleaved(state, "texture_layer_copy_over_bare_glCopyTexSubImage2D", {player, baseline});
}
BENCHMARK(BM_TextureLayerCopy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

} // namespace

int main(int argc, char** argv)
{
    return interleavedMain(argc, argv);
}
