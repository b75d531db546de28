#include "image/Anisotropy.h"
#include "image/TextureCache.h"
#include "material/MaterialApply.h"
#include "scene/Material.h"
#include "shell/DemoConfig.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <optional>
#include <string>

namespace {

TEST(AnisotropyCeiling, SoftwareRenderersDefaultToOneAndTheSettingWinsEverywhere)
{
    struct Case {
        const char* renderer;
        std::optional<float> setting;
        float expected;
    };
    const Case cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", std::nullopt, 1.0f},
        {"softpipe", std::nullopt, 1.0f},
        {"Mesa X11 swrast", std::nullopt, 1.0f},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", std::nullopt, 16.0f},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", 8.0f, 8.0f},
        {"NVIDIA GeForce GTX 1080/PCIe/SSE2", 4.0f, 4.0f},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", 64.0f, 16.0f}, // never above the driver's
        {"NVIDIA GeForce GTX 1080/PCIe/SSE2", 0.0f, 1.0f},  // nor below 1
        {"", std::nullopt, 16.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(anisotropyCeiling(c.renderer, 16.0f, c.setting), c.expected)
            << c.renderer << " with setting " << c.setting.value_or(-1.0f);
}

// The cache's uploads and the stages applied to its textures, read back from the driver:
// the tests run on llvmpipe, whose default ceiling is 1.
class StageAnisotropy : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureOffscreenGl(64, 64);
        resetGlState();
        const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        if (!renderer || !isSoftwareRenderer(renderer))
            GTEST_SKIP() << "expects a software renderer, not " << (renderer ? renderer : "none");
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &driverMaximum);
        // 2 x 1: red, then green (TGA pixels are blue first).
        const char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0};
        dir.write("tex/pair.tga",
                  std::string(header, sizeof header) + std::string("\0\0\xff\0\xff\0", 6));
    }

    static GLfloat textureAnisotropy(const Texture& texture)
    {
        glBindTexture(texture.target, texture.glName.get());
        GLfloat value = 0.0f;
        glGetTexParameterfv(texture.target, GL_TEXTURE_MAX_ANISOTROPY_EXT, &value);
        return value;
    }

    TempDir dir;
    DemoPaths paths{dir.path().string(), "tex", "scn", 1.0f};
    GLfloat driverMaximum = 1.0f;
};

TEST_F(StageAnisotropy, UploadsAndStagesStayUnderTheCeilingAndNearestStagesAtOne)
{
    struct Case {
        std::optional<float> setting;
        GLenum minFilter;
        GLenum magFilter;
        float requested;
        float expected; // 0: the driver's maximum
    };
    const Case cases[] = {
        {std::nullopt, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, 16.0f, 1.0f},
        {4.0f, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, 16.0f, 4.0f},
        {4.0f, GL_LINEAR, GL_LINEAR, 2.0f, 2.0f},
        {1000.0f, GL_LINEAR, GL_LINEAR, 1000.0f, 0.0f},
        {16.0f, GL_NEAREST, GL_NEAREST, 16.0f, 1.0f},
        {16.0f, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST, 16.0f, 1.0f},
        {16.0f, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST, 16.0f, 16.0f},
        {16.0f, GL_NEAREST, GL_LINEAR, 16.0f, 16.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("setting " + std::to_string(c.setting.value_or(-1.0f)) + ", filters " +
                     std::to_string(c.minFilter) + "/" + std::to_string(c.magFilter) +
                     ", requested " + std::to_string(c.requested));
        TextureCache cache(paths, c.setting);
        const Texture& texture = cache.getByName("pair");
        const float ceiling =
            c.setting ? std::min(*c.setting, static_cast<float>(driverMaximum)) : 1.0f;
        EXPECT_EQ(textureAnisotropy(texture), ceiling) << "as uploaded";

        TextureStages stages;
        stages.primary.texture = &texture;
        stages.primary.minFilter = c.minFilter;
        stages.primary.magFilter = c.magFilter;
        stages.primary.anisotropy = c.requested;
        applyTextureStages(stages);
        EXPECT_EQ(textureAnisotropy(texture), c.expected > 0.0f ? c.expected : driverMaximum);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

// llvmpipe filters any texture whose anisotropy is above 1, nearest or not: a nearest stage
// must still show two flat halves, whatever the user's ceiling.
TEST_F(StageAnisotropy, NearestStagesDrawNearestTexels)
{
    for (const std::optional<float> setting :
         {std::optional<float>{}, std::optional<float>{16.0f}}) {
        SCOPED_TRACE(setting ? "with Anisotropy=16" : "by default");
        resetGlState();
        TextureCache cache(paths, setting);
        TextureStages stages;
        stages.primary.texture = &cache.getByName("pair");
        stages.primary.minFilter = GL_NEAREST;
        stages.primary.magFilter = GL_NEAREST;
        stages.primary.anisotropy = driverMaximum;
        applyTextureStages(stages);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f), glVertex2f(-1.0f, -1.0f);
        glTexCoord2f(1.0f, 0.0f), glVertex2f(1.0f, -1.0f);
        glTexCoord2f(1.0f, 1.0f), glVertex2f(1.0f, 1.0f);
        glTexCoord2f(0.0f, 1.0f), glVertex2f(-1.0f, 1.0f);
        glEnd();
        const std::vector<unsigned char> row = readPixelsRGBA(0, 32, 64, 1);
        for (int x = 0; x < 64; ++x) {
            const unsigned char* p = &row[static_cast<std::size_t>(x) * 4];
            const bool left = x < 32;
            EXPECT_EQ(p[0], left ? 255 : 0) << "column " << x;
            EXPECT_EQ(p[1], left ? 0 : 255) << "column " << x;
        }
    }
}

} // namespace
