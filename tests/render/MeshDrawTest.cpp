#include "render/MeshDraw.h"

#include "image/TextureCache.h"
#include "mesh/Po2Reader.h"
#include "mesh/Po2Writer.h"
#include "shell/GlExtensions.h"
#include "support/CheckerTexture.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace {

using Rgb = std::array<int, 3>;

Mesh meshOf(const Po2Description& description)
{
    return parsePo2(writePo2(description), "draw.po2", [](const std::string&) { return nullptr; });
}

// Pixel of the 256 x 256 surface at clip coordinates (x, y).
Rgb probe(float x, float y)
{
    const auto px = static_cast<int>((x + 1.0f) * 128.0f);
    const auto py = static_cast<int>((y + 1.0f) * 128.0f);
    const std::vector<unsigned char> rgba = readPixelsRGBA(px, py, 1, 1);
    return {rgba[0], rgba[1], rgba[2]};
}

void expectPixel(float x, float y, Rgb expected)
{
    const Rgb actual = probe(x, y);
    for (int i = 0; i < 3; ++i)
        EXPECT_LE(
            std::abs(actual[static_cast<std::size_t>(i)] - expected[static_cast<std::size_t>(i)]),
            2)
            << "at (" << x << ", " << y << "): " << actual[0] << " " << actual[1] << " "
            << actual[2];
}

struct MeshDrawTest : ::testing::Test {
    void SetUp() override
    {
        ensureOffscreenGl(256, 256);
        resetGlState();
        // Flat colours straight from the vertices: nothing else may change a probe.
        for (GLenum cap : {GL_LIGHTING, GL_FOG, GL_CULL_FACE, GL_DEPTH_TEST, GL_BLEND, GL_DITHER,
                           GL_COLOR_SUM_EXT})
            glDisable(cap);
    }
};

Texture grey(unsigned char level)
{
    Texture texture("grey");
    texture.glName = newTexture();
    texture.width = texture.height = 1;
    glBindTexture(GL_TEXTURE_2D, texture.glName.get());
    const unsigned char texel[] = {level, level, level, 255};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// A red triangle, a green quad and a blue pentagon, in separate parts of the picture.
Po2Description threeShapes()
{
    Po2Description d;
    d.flags = MeshFlag::Polygons | MeshFlag::Colours;
    d.positions = {-0.9f, -0.9f, 0, -0.1f, -0.9f, 0, -0.5f, -0.1f, 0,                   // triangle
                   0.1f,  -0.9f, 0, 0.9f,  -0.9f, 0, 0.9f,  -0.1f, 0, 0.1f,   -0.1f, 0, // quad
                   0.0f,  0.9f,  0, 0.4f,  0.6f,  0, 0.25f, 0.15f, 0, -0.25f, 0.15f, 0,
                   -0.4f, 0.6f,  0}; // pentagon
    d.polygonSizes = {3, 4, 5};
    d.vertexIndices = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    d.colours = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1};
    d.colourIndices = {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 2};
    return d;
}

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

struct UnitState {
    bool texture2D;
    GLint bound;
    GLint envMode;
    GLint combineRgb;
    float rgbScale;
    bool genS;
    bool genT;
};

UnitState unitState(int unit)
{
    const GLint active = integer(GL_ACTIVE_TEXTURE_ARB);
    ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
    UnitState state{};
    state.texture2D = glIsEnabled(GL_TEXTURE_2D);
    state.bound = integer(GL_TEXTURE_BINDING_2D);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &state.envMode);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, &state.combineRgb);
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, &state.rgbScale);
    state.genS = glIsEnabled(GL_TEXTURE_GEN_S);
    state.genT = glIsEnabled(GL_TEXTURE_GEN_T);
    ext::glActiveTextureARB(static_cast<GLenum>(active));
    return state;
}

} // namespace

TEST_F(MeshDrawTest, DisplayListDrawsTrianglesQuadsAndPolygons)
{
    Mesh mesh = meshOf(threeShapes());
    compileDisplayList(mesh);
    glCallList(mesh.displayList.get());
    expectPixel(-0.5f, -0.63f, {255, 0, 0});
    expectPixel(0.5f, -0.5f, {0, 255, 0});
    expectPixel(0.0f, 0.5f, {0, 0, 255});
    // Only the pentagon's last corners cover this point: all five corners were drawn.
    expectPixel(-0.2f, 0.3f, {0, 0, 255});
    expectPixel(0.0f, -0.5f, {0, 0, 0});
    expectPixel(0.6f, 0.6f, {0, 0, 0});
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Immediate mode draws exactly what the list holds.
    const std::vector<unsigned char> fromList = readPixelsRGBA(0, 0, 256, 256);
    glClear(GL_COLOR_BUFFER_BIT);
    drawMeshPolygons(mesh);
    EXPECT_EQ(readPixelsRGBA(0, 0, 256, 256), fromList);
}

TEST_F(MeshDrawTest, TrianglesOnlyMeshesDrawEveryTriple)
{
    Po2Description d;
    d.flags = MeshFlag::Polygons | MeshFlag::TrianglesOnly | MeshFlag::Colours;
    d.positions = {-1, -1, 0, 0, -1, 0, -1, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    d.vertexIndices = {0, 1, 2, 3, 4, 5};
    d.colours = {1, 1, 0, 1, 0, 1, 1, 1};
    d.colourIndices = {0, 0, 0, 1, 1, 1};
    Mesh mesh = meshOf(d);
    compileDisplayList(mesh);
    glCallList(mesh.displayList.get());
    expectPixel(-0.8f, -0.8f, {255, 255, 0});
    expectPixel(0.8f, 0.8f, {0, 255, 255});
    expectPixel(0.0f, 0.0f, {0, 0, 0});
}

TEST_F(MeshDrawTest, TextureCoordinatesAndColourScaleReachThePicture)
{
    Po2Description d;
    d.flags = MeshFlag::Polygons | MeshFlag::TexCoords0;
    d.positions = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
    d.polygonSizes = {4};
    d.vertexIndices = {0, 1, 2, 3};
    d.texCoords0 = {0, 0, 1, 0, 1, 1, 0, 1};
    d.texCoord0Indices = {0, 1, 2, 3};
    Mesh mesh = meshOf(d);
    compileDisplayList(mesh);
    const Texture texture = checkerTexture();
    mesh.texture0 = &texture;
    setupMeshTextures(mesh, 0);
    glCallList(mesh.displayList.get());
    expectPixel(-0.5f, -0.5f, {255, 0, 0});
    expectPixel(0.5f, -0.5f, {0, 255, 0});
    expectPixel(-0.5f, 0.5f, {0, 0, 255});
    expectPixel(0.5f, 0.5f, {255, 255, 255});

    // Without set 1 the object's colour scale lands on unit 0.
    const Texture dim = grey(60);
    mesh.texture0 = &dim;
    for (auto [objectFlags, level] :
         {std::pair{0x00, 60}, std::pair{0x20, 120}, std::pair{0x40, 240}, std::pair{0x60, 120}}) {
        setupMeshTextures(mesh, static_cast<std::uint8_t>(objectFlags));
        glCallList(mesh.displayList.get());
        SCOPED_TRACE(objectFlags);
        expectPixel(0.0f, 0.0f, {level, level, level});
    }
}

TEST_F(MeshDrawTest, TextureUnitsFollowTheMeshFlags)
{
    const Texture a = grey(10);
    const Texture b = grey(20);
    Mesh mesh;
    mesh.texture0 = &a;
    mesh.texture1 = &b;
    const auto nameA = static_cast<GLint>(a.glName.get());
    const auto nameB = static_cast<GLint>(b.glName.get());

    // Set 0 only.
    mesh.flags = MeshFlag::TexCoords0;
    setupMeshTextures(mesh, 0x20);
    UnitState unit0 = unitState(0);
    UnitState unit1 = unitState(1);
    EXPECT_TRUE(unit0.texture2D);
    EXPECT_EQ(unit0.bound, nameA);
    EXPECT_EQ(unit0.envMode, GL_COMBINE_ARB);
    EXPECT_EQ(unit0.combineRgb, GL_MODULATE);
    EXPECT_EQ(unit0.rgbScale, 2.0f);
    EXPECT_FALSE(unit0.genS || unit0.genT);
    EXPECT_FALSE(unit1.texture2D);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE1_ARB);

    // Both sets.
    resetGlState();
    mesh.flags = MeshFlag::TexCoords0 | MeshFlag::TexCoords1;
    setupMeshTextures(mesh, 0x40);
    unit0 = unitState(0);
    unit1 = unitState(1);
    EXPECT_TRUE(unit0.texture2D && unit1.texture2D);
    EXPECT_EQ(unit1.bound, nameB);
    EXPECT_EQ(unit1.envMode, GL_COMBINE_ARB);
    EXPECT_EQ(unit1.combineRgb, GL_MODULATE);
    EXPECT_EQ(unit1.rgbScale, 4.0f);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE1_ARB);

    // Environment over set 0: sphere-mapped on unit 1, added signed.
    resetGlState();
    mesh.flags = MeshFlag::TexCoords0 | MeshFlag::EnvironmentTexture;
    setupMeshTextures(mesh, 0);
    unit0 = unitState(0);
    unit1 = unitState(1);
    EXPECT_TRUE(unit0.texture2D && unit1.texture2D);
    EXPECT_EQ(unit0.bound, nameA);
    EXPECT_EQ(unit1.bound, nameB);
    EXPECT_EQ(unit1.combineRgb, GL_ADD_SIGNED_ARB);
    EXPECT_TRUE(unit1.genS && unit1.genT);
    EXPECT_FALSE(unit0.genS || unit0.genT);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE1_ARB);

    // Environment alone: it replaces unit 0 and modulates; unit 1 is off.
    resetGlState();
    mesh.flags = MeshFlag::EnvironmentTexture;
    setupMeshTextures(mesh, 0);
    unit0 = unitState(0);
    unit1 = unitState(1);
    EXPECT_TRUE(unit0.texture2D);
    EXPECT_EQ(unit0.bound, nameB);
    EXPECT_EQ(unit0.envMode, GL_MODULATE);
    EXPECT_TRUE(unit0.genS && unit0.genT);
    EXPECT_FALSE(unit1.texture2D);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);

    // No coordinate sets: texturing is off on both units.
    resetGlState();
    bindTextureUnit(a, 0);
    bindTextureUnit(b, 1);
    mesh.flags = 0;
    setupMeshTextures(mesh, 0);
    EXPECT_FALSE(unitState(0).texture2D || unitState(1).texture2D);

    // Set 1 without a texture keeps whatever unit 1 had bound, combine set-up applied.
    resetGlState();
    bindTextureUnit(a, 1);
    mesh.flags = MeshFlag::TexCoords1;
    mesh.texture1 = nullptr;
    setupMeshTextures(mesh, 0);
    unit1 = unitState(1);
    EXPECT_EQ(unit1.bound, nameA);
    EXPECT_TRUE(unit1.texture2D);
    EXPECT_EQ(unit1.envMode, GL_COMBINE_ARB);
    EXPECT_FALSE(unitState(0).texture2D);
}

TEST_F(MeshDrawTest, PointsAreTexturedSprites)
{
    Po2Description d;
    d.positions = {-0.5f, -0.5f, 0, 0.5f, 0.5f, 0};
    const Mesh mesh = meshOf(d);
    const Texture texture = checkerTexture();
    bindTextureUnit(texture, 0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // 0.02 makes 60-pixel sprites; each shows the whole texture, row 0 at its top.
    drawMeshPoints(mesh, 0.02f);
    EXPECT_FALSE(glIsEnabled(GL_POINT_SPRITE_ARB));
    const float q = 15.0f / 128.0f;
    for (float centre : {-0.5f, 0.5f}) {
        SCOPED_TRACE(centre);
        expectPixel(centre - q, centre + q, {255, 0, 0});
        expectPixel(centre + q, centre + q, {0, 255, 0});
        expectPixel(centre - q, centre - q, {0, 0, 255});
        expectPixel(centre + q, centre - q, {255, 255, 255});
        expectPixel(centre + 0.3f, centre, {0, 0, 0});
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshDrawTest, WorkingCopyDrawsBlendedAndMorphedPositions)
{
    Po2Description left;
    left.flags = MeshFlag::Polygons | MeshFlag::Colours;
    left.positions = {-0.9f, -0.2f, 0, -0.5f, -0.2f, 0, -0.5f, 0.2f, 0, -0.9f, 0.2f, 0};
    left.polygonSizes = {4};
    left.vertexIndices = {0, 1, 2, 3};
    left.colours = {1, 1, 1, 1};
    left.colourIndices = {0, 0, 0, 0};
    Po2Description right = left;
    for (std::size_t i = 0; i < right.positions.size(); i += 3)
        right.positions[i] += 1.4f;
    const Mesh base = meshOf(left);
    const Mesh target = meshOf(right);
    Mesh work = base.makeWorkingCopy();

    blendPositions(work, base, target, 0.5f);
    EXPECT_FLOAT_EQ(work.positions[0], -0.2f);
    EXPECT_FLOAT_EQ(work.positions[1], -0.2f);
    computeNormals(work);
    drawMeshPolygons(work);
    expectPixel(0.0f, 0.0f, {255, 255, 255});
    expectPixel(-0.7f, 0.0f, {0, 0, 0});
    expectPixel(0.7f, 0.0f, {0, 0, 0});

    // A delta moves one corner; one beyond the mesh changes nothing.
    applyMorphDelta(work, MorphDelta{0.0f, 1.0f, 0.0f, 2}, 0.5f);
    EXPECT_FLOAT_EQ(work.positions[7], 0.7f);
    const std::vector<float> before = work.positions;
    applyMorphDelta(work, MorphDelta{1.0f, 1.0f, 1.0f, 4}, 1.0f);
    EXPECT_EQ(work.positions, before);

    // A shorter base or target limits the blend to the vertices all three have.
    Po2Description oneVertex;
    oneVertex.positions = {1, 1, 1};
    const Mesh small = meshOf(oneVertex);
    work.positions = before;
    blendPositions(work, small, target, 1.0f);
    EXPECT_FLOAT_EQ(work.positions[0], target.positions[0]);
    EXPECT_EQ(std::vector<float>(work.positions.begin() + 3, work.positions.end()),
              std::vector<float>(before.begin() + 3, before.end()));
}
