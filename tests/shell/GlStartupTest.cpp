#include "shell/GlStartup.h"
#include "platform/GlProcAddress.h"
#include "shell/GlExtensions.h"
#include "shell/LoadError.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class GlStartup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureOffscreenGl();
        resetGlState();
    }
};

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

} // namespace

TEST_F(GlStartup, ClearedColourReadsBackFromTheDrawnBuffer)
{
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const auto pixels = readPixelsRGBA(10, 20, 2, 1);
    ASSERT_EQ(pixels.size(), 8u);
    EXPECT_EQ(pixels[0], 255);
    EXPECT_NEAR(pixels[1], 128, 2);
    EXPECT_EQ(pixels[2], 0);
    EXPECT_EQ(pixels[3], 255);
    EXPECT_EQ(pixels[4], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// What later drawing relies on: a 24-bit depth buffer and a copy out of the drawn buffer.
TEST_F(GlStartup, DepthBufferAndCopyTexSubImageWork)
{
    EXPECT_GE(integer(GL_DEPTH_BITS), 24);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, 4, 4);
    unsigned char texel[4 * 16] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glDeleteTextures(1, &texture);
    EXPECT_EQ(texel[0], 0);
    EXPECT_EQ(texel[2], 255);
    EXPECT_EQ(texel[4 * 15 + 2], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlStartup, InitialStateIsTheFixedOne)
{
    for (const GLenum enabled :
         {GL_COLOR_SUM_EXT, GL_LIGHTING, GL_COLOR_MATERIAL, GL_NORMALIZE, GL_FOG, GL_BLEND,
          GL_ALPHA_TEST, GL_DITHER, GL_DEPTH_TEST, GL_CULL_FACE})
        EXPECT_TRUE(glIsEnabled(enabled)) << std::hex << enabled;
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));

    EXPECT_EQ(integer(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    EXPECT_EQ(integer(GL_POLYGON_SMOOTH_HINT), GL_NICEST);
    EXPECT_EQ(integer(GL_FOG_HINT), GL_NICEST);
    EXPECT_EQ(integer(GL_GENERATE_MIPMAP_HINT_SGIS), GL_NICEST);
    EXPECT_EQ(integer(GL_COLOR_MATERIAL_FACE), GL_FRONT);
    EXPECT_EQ(integer(GL_COLOR_MATERIAL_PARAMETER), GL_AMBIENT_AND_DIFFUSE);
    EXPECT_EQ(integer(GL_FOG_MODE), GL_LINEAR);
    EXPECT_EQ(integer(GL_ALPHA_TEST_FUNC), GL_GREATER);
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_LEQUAL);
    GLint polygonModes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, polygonModes);
    EXPECT_EQ(polygonModes[0], GL_FILL);
    EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 1);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);

    GLfloat alphaRef = -1.0f;
    glGetFloatv(GL_ALPHA_TEST_REF, &alphaRef);
    EXPECT_EQ(alphaRef, 0.0f);
    GLfloat clear[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    for (const GLfloat component : clear)
        EXPECT_EQ(component, 0.0f);

    for (const GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB}) {
        ext::glActiveTextureARB(unit);
        GLint mode = 0;
        glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
        EXPECT_EQ(mode, GL_SPHERE_MAP);
        glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
        EXPECT_EQ(mode, GL_SPHERE_MAP);
    }
    ext::glActiveTextureARB(GL_TEXTURE0_ARB);

    // GL's default specular for light 0 is white; every light starts without either here.
    for (GLenum light = GL_LIGHT0; light <= GL_LIGHT7; ++light) {
        GLfloat ambient[4] = {};
        GLfloat specular[4] = {};
        glGetLightfv(light, GL_AMBIENT, ambient);
        glGetLightfv(light, GL_SPECULAR, specular);
        EXPECT_EQ(ambient[0], 0.0f);
        EXPECT_EQ(ambient[3], 1.0f);
        EXPECT_EQ(specular[0], 0.0f);
        EXPECT_EQ(specular[3], 1.0f);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlStartup, EntryPointsAndRectangleTargetFollowTheDriver)
{
    EXPECT_NE(ext::glActiveTextureARB, nullptr);
    EXPECT_NE(ext::glMultiTexCoord2fARB, nullptr);
    EXPECT_NE(ext::glDeleteProgramsARB, nullptr);
    EXPECT_NE(ext::glVertexWeightfEXT, nullptr);
    EXPECT_EQ(ext::glBindProgramARB != nullptr,
              hasGlExtension("GL_ARB_vertex_program") || hasGlExtension("GL_ARB_fragment_program"));
    const bool rectangles =
        hasGlExtension("GL_NV_texture_rectangle") || hasGlExtension("GL_ARB_texture_rectangle");
    EXPECT_EQ(rectTextureTarget, rectangles ? 0x84F5u : 0x85B3u);
    // Frame pacing waits on fences; a driver with sync objects must give all three.
    EXPECT_EQ(ext::glFenceSync != nullptr, hasGlExtension("GL_ARB_sync") || hasGlVersion(3, 2));
    // Whole names only: a prefix of a listed name is not listed.
    EXPECT_FALSE(hasGlExtension("GL_ARB_multi"));
    EXPECT_FALSE(hasGlExtension(""));
    EXPECT_FALSE(hasGlExtension("GL_made_up_extension"));
}

// Without GL_EXT_vertex_weighting the substitute must accept calls and change nothing.
TEST_F(GlStartup, VertexWeightSubstituteDrawsAsWithoutWeights)
{
    if (hasGlExtension("GL_EXT_vertex_weighting"))
        GTEST_SKIP() << "the driver has real vertex weighting";
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    ext::glVertexWeightfEXT(0.25f);
    glVertex2f(-1.0f, -1.0f);
    ext::glVertexWeightfEXT(0.75f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    const GLfloat weights[] = {0.5f};
    ext::glVertexWeightfvEXT(weights);
    ext::glVertexWeightPointerEXT(1, GL_FLOAT, 0, weights);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const auto pixels = readPixelsRGBA(128, 128, 1, 1);
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[1], 255);
}

// GL_ARB_point_sprite stands in for GL_NV_point_sprite: same enable, same coordinate replace.
TEST_F(GlStartup, PointSpriteWorksThroughEitherExtension)
{
    if (!hasGlExtension("GL_NV_point_sprite") && !hasGlExtension("GL_ARB_point_sprite"))
        GTEST_SKIP() << "no point sprites on this driver";
    ASSERT_NE(ext::glPointParameteriNV, nullptr);
    ASSERT_NE(ext::glPointParameterivNV, nullptr);
    ext::glPointParameteriNV(GL_POINT_SPRITE_R_MODE_NV, GL_ZERO);
    glEnable(GL_POINT_SPRITE_NV);
    EXPECT_TRUE(glIsEnabled(GL_POINT_SPRITE_NV));
    glTexEnvi(GL_POINT_SPRITE_NV, GL_COORD_REPLACE_NV, GL_TRUE);
    GLint replace = 0;
    glGetTexEnviv(GL_POINT_SPRITE_NV, GL_COORD_REPLACE_NV, &replace);
    EXPECT_EQ(replace, GL_TRUE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glTexEnvi(GL_POINT_SPRITE_NV, GL_COORD_REPLACE_NV, GL_FALSE);
    glDisable(GL_POINT_SPRITE_NV);
}

namespace {

// A driver that lacks some entry points: the lookup answers null for every name that begins
// with the hidden prefix ("glActiveTexture" hides the ARB and the core function alike).
const char* hiddenPrefix = nullptr;

GlProcedure lookupHiding(const char* name)
{
    if (hiddenPrefix && std::strncmp(name, hiddenPrefix, std::strlen(hiddenPrefix)) == 0)
        return nullptr;
    return eglGlProcAddress(name);
}

std::string initialiseWithout(const char* prefix)
{
    hiddenPrefix = prefix;
    installGlProcLookup(lookupHiding);
    std::string thrown;
    try {
        initialiseGL();
    } catch (const LoadError& error) {
        thrown = error.what();
    }
    installGlProcLookup(eglGlProcAddress);
    hiddenPrefix = nullptr;
    return thrown;
}

} // namespace

TEST_F(GlStartup, MissingRequiredEntryPointsThrowTheirUnreachableText)
{
    EXPECT_EQ(initialiseWithout("glMultiTexCoord2f"), "glMultiTexCoord2fARB unreachable");
    EXPECT_EQ(initialiseWithout("glActiveTexture"), "glActiveTextureARB unreachable");
    EXPECT_EQ(initialiseWithout("glDeleteProgramsARB"), "glDeleteProgramsARB unreachable");
    // The GL 1.3 core function stands in where only the ARB name is missing.
    EXPECT_EQ(initialiseWithout("glActiveTextureARB"), "");
    EXPECT_NE(ext::glActiveTextureARB, nullptr);
    // Optional ones stay null and vertex weighting falls back to the no-op: no throw.
    EXPECT_EQ(initialiseWithout("glBlendColor"), "");
    EXPECT_EQ(ext::glBlendColorEXT, nullptr);
    EXPECT_EQ(initialiseWithout("glVertexWeightfEXT"), "");
    EXPECT_NE(ext::glVertexWeightfEXT, nullptr);
    EXPECT_TRUE(initialiseGL());
    EXPECT_NE(ext::glBlendColorEXT, nullptr);
}
