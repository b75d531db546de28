#include "TimelineFixture.h"

#include "shell/LoadError.h"
#include "support/OffscreenGl.h"
#include "timeline/FrameComposition.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// A 24-bit TGA of one colour, bottom row first.
std::string solidTga(int width, int height, unsigned char r, unsigned char g, unsigned char b)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(width);
    bytes[14] = static_cast<char>(height);
    bytes[16] = 24;
    for (int i = 0; i < width * height; ++i) {
        bytes += static_cast<char>(b);
        bytes += static_cast<char>(g);
        bytes += static_cast<char>(r);
    }
    return bytes;
}

std::array<int, 3> texel(const Texture& texture, int level, int x, int y)
{
    const int width = std::max(1, texture.width >> level);
    const int height = std::max(1, texture.height >> level);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width * height * 4));
    glBindTexture(GL_TEXTURE_2D, texture.glName.get());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    const std::size_t at = static_cast<std::size_t>((y * width + x) * 4);
    return {pixels[at], pixels[at + 1], pixels[at + 2]};
}

std::array<int, 3> pixel(int x, int y)
{
    const std::vector<unsigned char> rgba = readPixelsRGBA(x, y, 1, 1);
    return {rgba[0], rgba[1], rgba[2]};
}

void expectNear(std::array<int, 3> actual, std::array<int, 3> expected, const char* what)
{
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], 2) << what << " channel " << i;
}

struct FrameFixture : ::testing::Test {
    FrameFixture()
    {
        ensureOffscreenGl(64, 64);
        resetGlState();
    }

    void fillBackBuffer(float r, float g, float b)
    {
        glClearColor(r, g, b, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    TimelineFixture demo;
};

} // namespace

TEST_F(FrameFixture, TextureLayerWithoutEventsStillCopiesTheBufferAndRestoresTheViewport)
{
    demo.dir.write("tex/target.tga", solidTga(32, 32, 0, 0, 255));
    demo.load("main 0 10 glow target", "");
    const Texture& target = *demo.timeline.layers[0].target;
    ASSERT_EQ(target.width, 32);
    glViewport(5, 6, 40, 30);
    fillBackBuffer(1.0f, 0.5f, 0.0f);
    startLayers(demo.timeline, 0.0f, 0);
    renderFrame(demo.timeline, 0.0f, 0);
    expectNear(texel(target, 0, 3, 29), {255, 128, 0}, "level 0");
    // The driver rebuilds the mipmaps on every copy.
    expectNear(texel(target, 2, 1, 1), {255, 128, 0}, "level 2");
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 5);
    EXPECT_EQ(viewport[1], 6);
    EXPECT_EQ(viewport[2], 40);
    EXPECT_EQ(viewport[3], 30);
}

TEST_F(FrameFixture, RectangleTargetsAreCopiedIntoTheirOwnTarget)
{
    demo.dir.write("tex/wide.tga", solidTga(24, 20, 0, 0, 255));
    demo.load("main 0 10 glow wide", "");
    const Texture& target = *demo.timeline.layers[0].target;
    if (target.target == GL_TEXTURE_2D)
        GTEST_SKIP() << "no rectangle textures on this driver";
    fillBackBuffer(0.0f, 1.0f, 0.0f);
    startLayers(demo.timeline, 0.0f, 0);
    renderFrame(demo.timeline, 0.0f, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<unsigned char> pixels(24 * 20 * 4);
    glBindTexture(target.target, target.glName.get());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target.target, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    expectNear({pixels[0], pixels[1], pixels[2]}, {0, 255, 0}, "first texel");
    const std::size_t last = pixels.size() - 4;
    expectNear({pixels[last], pixels[last + 1], pixels[last + 2]}, {0, 255, 0}, "last texel");
}

TEST_F(FrameFixture, ACubeMapIsNoRenderTarget)
{
    try {
        demo.load("main 0 10 glow NormCubeMap32", "");
        ADD_FAILURE() << "a cube map was taken as a render target";
    } catch (const LoadError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Layer glow cannot render into the cube map NormCubeMap32");
    }
}

TEST_F(FrameFixture, ClearModesUseTheBackdropOrBlackAndTheColourStaysSet)
{
    demo.dir.write("tex/target.tga", solidTga(16, 16, 0, 0, 0));
    demo.writeScene("lit", 1, 30, 0, "BackdropColor 0 1 0\n");
    demo.writeScene("dark", 1, 30, 0);
    demo.load("main 0 10 glow target final screen",
              "glow cc lit 1 00:00:00:000\nfinal nc dark 1 00:00:00:000\n"
              "final cl dark 1 00:00:01:000\n");
    const Texture& target = *demo.timeline.layers[0].target;
    fillBackBuffer(0.0f, 0.0f, 1.0f);
    startLayers(demo.timeline, 0.0f, 0);
    renderFrame(demo.timeline, 0.5f, 500);
    // The texture layer cleared the whole buffer to its backdrop before the copy; the screen
    // layer with "nc" left it as it was.
    expectNear(texel(target, 0, 8, 8), {0, 255, 0}, "texture");
    expectNear(pixel(40, 40), {0, 255, 0}, "screen after nc");
    // "cl" on a scene without a backdrop clears to black.
    renderFrame(demo.timeline, 1.0f, 1000);
    expectNear(pixel(40, 40), {0, 0, 0}, "screen after cl");
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[1], 0.0f);
}

TEST_F(FrameFixture, TenFramesPerSecondSceneNeitherClearsNorDrawsBetweenItsFrames)
{
    demo.writeScene("slow", 1, 10, 0, "BackdropColor 1 0 0\n");
    demo.load("main 0 10 final screen", "final cc slow 1 00:00:00:000\n");
    fillBackBuffer(0.0f, 0.0f, 1.0f);
    startLayers(demo.timeline, 0.0f, 0);
    // Counter at 1000 ticks a second: 50 ms of scene time, half a frame.
    renderFrame(demo.timeline, 0.05f, 50);
    expectNear(pixel(10, 10), {0, 0, 255}, "held");
    renderFrame(demo.timeline, 0.1f, 100);
    expectNear(pixel(10, 10), {255, 0, 0}, "drawn");
    EXPECT_FLOAT_EQ(demo.timeline.layers[0].events[0].lastDrawTime, 0.1f);
    fillBackBuffer(0.0f, 0.0f, 1.0f);
    renderFrame(demo.timeline, 0.15f, 150);
    expectNear(pixel(10, 10), {0, 0, 255}, "held again");
}

// Each mode touches its own buffers only: "cz" keeps the colour, "cc" keeps the depth, "cl"
// clears both and "nc" neither.
TEST_F(FrameFixture, EachClearModeClearsExactlyItsBuffers)
{
    demo.writeScene("empty", 1, 30, 0, "BackdropColor 1 0 0\n");
    demo.load("main 0 10 final screen", "final nc empty 1 00:00:00:000\n"
                                        "final cz empty 1 00:00:01:000\n"
                                        "final cc empty 1 00:00:02:000\n"
                                        "final cl empty 1 00:00:03:000\n");
    auto depthAt = [](int x, int y) {
        GLfloat depth = -1.0f;
        glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    };
    // Blue with depth 0.25 everywhere before each frame.
    auto fill = [this] {
        glClearDepth(0.25);
        fillBackBuffer(0.0f, 0.0f, 1.0f);
        glClearDepth(1.0);
    };
    struct Expected {
        float t;
        std::array<int, 3> colour;
        float depth;
    };
    const Expected frames[] = {{0.5f, {0, 0, 255}, 0.25f},
                               {1.5f, {0, 0, 255}, 1.0f},
                               {2.5f, {255, 0, 0}, 0.25f},
                               {3.5f, {255, 0, 0}, 1.0f}};
    startLayers(demo.timeline, 0.0f, 0);
    for (const Expected& frame : frames) {
        fill();
        renderFrame(demo.timeline, frame.t, static_cast<std::int64_t>(frame.t * 1000.0f));
        ASSERT_EQ(demo.timeline.layers[0].current, static_cast<std::size_t>(&frame - frames));
        expectNear(pixel(20, 20), frame.colour, "colour");
        EXPECT_NEAR(depthAt(20, 20), frame.depth, 1e-3f) << "at " << frame.t;
    }
}
