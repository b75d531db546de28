#include "image/TextureCache.h"

#include "image/TextureUpload.h"
#include "jpeg/JpegTestFiles.h"
#include "shell/DemoConfig.h"
#include "shell/GlExtensions.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Uncompressed TGA of width x height pixels in blue, green, red order, bottom row first.
std::string tgaFile(int width, int height, int depth, const std::string& pixels)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(width & 0xff);
    bytes[13] = static_cast<char>(width >> 8);
    bytes[14] = static_cast<char>(height & 0xff);
    bytes[15] = static_cast<char>(height >> 8);
    bytes[16] = static_cast<char>(depth);
    return bytes + pixels;
}

std::string repeated(const std::string& pixel, int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += pixel;
    return bytes;
}

GLint boundParameter(GLenum target, GLenum parameter)
{
    GLint value = -1;
    glGetTexParameteriv(target, parameter, &value);
    return value;
}

void expectPixel(const std::vector<unsigned char>& rgba, std::initializer_list<int> expected,
                 const char* where)
{
    int i = 0;
    for (int value : expected) {
        EXPECT_NEAR(rgba[static_cast<std::size_t>(i)], value, 2) << where << " channel " << i;
        ++i;
    }
}

class TextureCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureOffscreenGl(256, 256);
        resetGlState();
        paths.rootDir = dir.path().string();
        paths.texturesDir = "tex";
    }

    std::string writeTexture(const std::string& name, const std::string& bytes)
    {
        return dir.write("tex/" + name, bytes);
    }

    TempDir dir;
    DemoPaths paths;
};

} // namespace

TEST_F(TextureCacheTest, PowerOfTwoIsMipmapped2DAndOtherSizesAreRectangles)
{
    TextureCache cache(paths);
    writeTexture("square.tga", tgaFile(8, 8, 24, repeated("\x10\x20\x30", 64)));
    writeTexture("odd.tga", tgaFile(6, 5, 32, repeated("\x10\x20\x30\x40", 30)));
    writeTexture("flat.tga", tgaFile(256, 0, 24, ""));

    const Texture& square = cache.getByName("square");
    EXPECT_EQ(square.target, static_cast<GLenum>(GL_TEXTURE_2D));
    EXPECT_EQ(square.components, 3);
    EXPECT_EQ(square.name, paths.rootDir + "/tex/square.tga");
    // Creating leaves unit 0 active with the texture bound and its target enabled.
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), square.glName.get());
    EXPECT_EQ(boundParameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(boundParameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(boundParameter(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS), GL_TRUE);
    GLfloat anisotropy = 0.0f;
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    EXPECT_EQ(anisotropy, square.maxAnisotropy);
    // The driver built the chain: the 1 x 1 level holds the flat colour.
    unsigned char smallest[3] = {};
    glGetTexImage(GL_TEXTURE_2D, 3, GL_BGR_EXT, GL_UNSIGNED_BYTE, smallest);
    EXPECT_EQ(smallest[0], 0x10);
    EXPECT_EQ(smallest[2], 0x30);

    const Texture& odd = cache.getByName("odd");
    ASSERT_EQ(rectTextureTarget, static_cast<GLenum>(GL_TEXTURE_RECTANGLE_NV));
    EXPECT_EQ(odd.target, rectTextureTarget);
    EXPECT_EQ(odd.width, 6);
    EXPECT_EQ(odd.height, 5);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_RECTANGLE_NV));
    EXPECT_EQ(boundParameter(rectTextureTarget, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(boundParameter(rectTextureTarget, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    unsigned char texel[4] = {};
    glGetTexImage(rectTextureTarget, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[3], 0x40);

    // Zero counts as a power of two.
    EXPECT_EQ(cache.getByName("flat").target, static_cast<GLenum>(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureCacheTest, WithoutRectangleTargetOddSizesBecome2DTextures)
{
    TextureCache cache(paths);
    writeTexture("odd.tga", tgaFile(3, 3, 24, repeated("\x01\x02\x03", 9)));
    const GLenum saved = rectTextureTarget;
    rectTextureTarget = 0x85B3;
    const Texture& odd = cache.getByName("odd");
    rectTextureTarget = saved;
    EXPECT_EQ(odd.target, static_cast<GLenum>(GL_TEXTURE_2D));
    unsigned char texel[3] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[2], 3);
}

TEST_F(TextureCacheTest, RequestsShareOneTexturePerPathAndPreferJpeg)
{
    TextureCache cache(paths);
    writeTexture("wall.jpg", encodeJpeg(8, 8, 3, flatPixels(8, 8, 3, {250, 0, 0})));
    writeTexture("wall.tga", tgaFile(8, 8, 24, repeated(std::string("\xff\x00\x00", 3), 64)));
    Texture& byName = cache.getByName("wall");
    EXPECT_EQ(byName.name, paths.rootDir + "/tex/wall.jpg");
    EXPECT_EQ(&cache.getByName("wall"), &byName);
    std::istringstream material("  wall.jpg wall.tga");
    EXPECT_EQ(&cache.getByFileName(material), &byName);
    Texture& tga = cache.getByFileName(material);
    EXPECT_NE(&tga, &byName);
    EXPECT_EQ(cache.count(), 2u);

    // A scene token: four words skipped, the quoted name relative to the root.
    dir.write("scene.lws", "BGImage 1 2 3 \"tex/wall.tga\" next");
    MappedTextFile scene(dir.file("scene.lws"));
    EXPECT_EQ(&cache.getFromSceneToken(scene), &tga);
    EXPECT_EQ(scene.readWord(), "next");

    // A cached texture is found without reading: the file can go.
    std::filesystem::remove(dir.file("tex/wall.jpg"));
    std::istringstream again("wall.jpg");
    EXPECT_EQ(&cache.getByFileName(again), &byName);
    EXPECT_EQ(cache.count(), 2u);
}

TEST_F(TextureCacheTest, FailedLoadsLeaveTheCacheUnchanged)
{
    TextureCache cache(paths);
    writeTexture("five.tga", tgaFile(2, 2, 40, repeated("12345", 4)));
    auto messageOf = [&](auto&& load) {
        try {
            load();
        } catch (const LoadError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(messageOf([&] { cache.getByName("five"); }), "Unrecognized Image");
    // Missing in both forms: the ".tga" path is the one reported.
    EXPECT_EQ(messageOf([&] { cache.getByName("absent"); }),
              "Cannot load file " + paths.rootDir + "/tex/absent.tga from directory");
    EXPECT_EQ(messageOf([&] { cache.getByName("NormCubeMap100"); }), "Wrong NormCubeMap size");
    std::istringstream empty("   ");
    EXPECT_EQ(messageOf([&] { cache.getByFileName(empty); }),
              "Texture file name missing in material file");
    // A scene token too short to hold a quoted name (here the file ends after one quote).
    dir.write("short.lws", "FGImage 1 2 3 \"");
    MappedTextFile scene(dir.file("short.lws"));
    EXPECT_EQ(messageOf([&] { cache.getFromSceneToken(scene); }),
              "Image file name missing in " + dir.file("short.lws"));
    EXPECT_EQ(cache.count(), 0u);
    // A texture that could not be made is retried, and not found, on the next request.
    EXPECT_EQ(messageOf([&] { cache.getByName("five"); }), "Unrecognized Image");
}

TEST_F(TextureCacheTest, NormalisationCubeMaps)
{
    TextureCache cache(paths);
    const Texture& standard = cache.getByName("NormCubeMap");
    EXPECT_EQ(standard.target, static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_ARB));
    EXPECT_EQ(standard.width, 256);
    EXPECT_EQ(standard.components, 3);
    EXPECT_EQ(boundParameter(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(cache.getByName("NormCubeMap64").height, 64);

    const Texture& tiny = cache.getByName("NormCubeMap2");
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, tiny.glName.get());
    unsigned char face[2 * 2 * 3] = {};
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB, 0, GL_RGB, GL_UNSIGNED_BYTE, face);
    // (1, 0.5, 0.5) normalised, mapped to bytes.
    EXPECT_EQ(face[0], 231);
    EXPECT_EQ(face[1], 179);
    EXPECT_EQ(face[2], 179);
    // -Z, row 1, column 1: (-0.5, -0.5, -1) normalised.
    glGetTexImage(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB, 0, GL_RGB, GL_UNSIGNED_BYTE, face);
    EXPECT_EQ(face[9], 76);
    EXPECT_EQ(face[10], 76);
    EXPECT_EQ(face[11], 24);

    // Size 0 is no cube map: the file of that name is read.
    writeTexture("NormCubeMap0.tga", tgaFile(1, 1, 24, "abc"));
    EXPECT_EQ(cache.getByName("NormCubeMap0").target, static_cast<GLenum>(GL_TEXTURE_2D));

    EXPECT_EQ(cubeMapSize("/NormCubeMap.tga"), 0u); // 16 characters in all
    EXPECT_EQ(cubeMapSize("a/NormCubeMap.tga"), 256u);
    EXPECT_EQ(cubeMapSize("/ab/NormCubeMap.tga"), 256u);
    EXPECT_EQ(cubeMapSize("/ab/NormCubeMap16abc.tga"), 16u);
    EXPECT_EQ(cubeMapSize("/ab/NormCubeMaps.tga"), 0u);
    EXPECT_EQ(cubeMapSize("/abcdef/normCubeMap.tga"), 0u);
    EXPECT_EQ(cubeMapSize("/ab/NormCubeMap2048.tga"), 2048u);
    EXPECT_THROW(cubeMapSize("/ab/NormCubeMap65536.tga"), LoadError);
    EXPECT_THROW(cubeMapSize("/ab/NormCubeMap-8.tga"), LoadError);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureCacheTest, BindingDisablesTheTargetsThatTakePrecedence)
{
    TextureCache cache(paths);
    writeTexture("square.tga", tgaFile(2, 2, 24, repeated("abc", 4)));
    writeTexture("odd.tga", tgaFile(3, 1, 24, repeated("abc", 3)));
    const Texture& cube = cache.getByName("NormCubeMap16");
    const Texture& square = cache.getByName("square");
    const Texture& odd = cache.getByName("odd");

    bindTextureUnit(cube, 1);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB));
    bindTextureUnit(odd, 1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB));
    EXPECT_TRUE(glIsEnabled(rectTextureTarget));
    bindTextureUnit(square, 1);
    EXPECT_FALSE(glIsEnabled(rectTextureTarget));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    // A cube map leaves the others enabled: it takes precedence over them anyway.
    bindTextureUnit(cube, 1);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE1_ARB);

    disableTextureUnit(1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB));
    EXPECT_FALSE(glIsEnabled(rectTextureTarget));
    ext::glActiveTextureARB(GL_TEXTURE0_ARB);
}

TEST_F(TextureCacheTest, ScreenQuadFillsTheViewportWithTheTexture)
{
    TextureCache cache(paths);
    // 2 x 2, bottom row first: blue, green / red, white (bytes blue, green, red).
    writeTexture(
        "four.tga",
        tgaFile(2, 2, 24, std::string("\xff\x00\x00\x00\xff\x00\x00\x00\xff\xff\xff\xff", 12)));
    // 3 x 2 rectangle: left column dark, the rest bright.
    writeTexture(
        "rect.tga",
        tgaFile(3, 2, 24, repeated(std::string("\x00\x00\x00\xff\xff\xff\xff\xff\xff", 9), 2)));
    const Texture& four = cache.getByName("four");
    glBindTexture(GL_TEXTURE_2D, four.glName.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // llvmpipe filters anisotropic textures linearly even under GL_NEAREST.
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 1.0f);

    // A letterboxed viewport: bands above and below stay clear.
    glViewport(0, 32, 256, 192);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    bindTextureUnit(four, 0);
    setScreenQuadState();
    drawScreenQuad(four);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    expectPixel(readPixelsRGBA(2, 34, 1, 1), {0, 0, 255}, "bottom left");
    expectPixel(readPixelsRGBA(253, 34, 1, 1), {0, 255, 0}, "bottom right");
    expectPixel(readPixelsRGBA(2, 221, 1, 1), {255, 0, 0}, "top left");
    expectPixel(readPixelsRGBA(253, 221, 1, 1), {255, 255, 255}, "top right");
    expectPixel(readPixelsRGBA(128, 10, 1, 1), {0, 0, 0}, "band below");
    expectPixel(readPixelsRGBA(128, 245, 1, 1), {0, 0, 0}, "band above");

    // Rectangle textures are addressed in texels across the whole quad.
    const Texture& rect = cache.getByName("rect");
    glTexParameteri(rectTextureTarget, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(rectTextureTarget, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glViewport(0, 0, 256, 256);
    drawScreenQuad(rect);
    expectPixel(readPixelsRGBA(40, 128, 1, 1), {0, 0, 0}, "rect left third");
    expectPixel(readPixelsRGBA(100, 128, 1, 1), {255, 255, 255}, "rect middle third");
    expectPixel(readPixelsRGBA(250, 250, 1, 1), {255, 255, 255}, "rect top right");
}

TEST_F(TextureCacheTest, LoadingScreenDrawsPleaseWaitLoadingOnUnitZero)
{
    TextureCache cache(paths);
    writeTexture("PleaseWaitLoading.tga", tgaFile(4, 4, 24, repeated("\x20\x80\xc0", 16)));
    // Whatever unit 1 held must not tint the picture.
    writeTexture("black.tga", tgaFile(1, 1, 24, std::string(3, '\0')));
    bindTextureUnit(cache.getByName("black"), 1);
    drawLoadingScreen(cache);
    expectPixel(readPixelsRGBA(128, 128, 1, 1), {0xc0, 0x80, 0x20}, "centre");
    expectPixel(readPixelsRGBA(0, 0, 1, 1), {0xc0, 0x80, 0x20}, "corner");
    drawLoadingScreen(cache);
    EXPECT_EQ(cache.count(), 2u);
}

// Sizes a damaged scene or timeline can name: a generated cube map above 2048 texels a side (or
// the driver's limit) and pictures larger than the driver's textures are loading errors naming
// them, decided before a texel is generated or a pixel decoded.
TEST_F(TextureCacheTest, OversizedCubeMapsAndPicturesAreRefusedBeforeBuilding)
{
    TextureCache cache(paths);
    auto messageOf = [&](const std::string& name) {
        try {
            cache.getByName(name);
        } catch (const LoadError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    GLuint before = 0;
    glGenTextures(1, &before);
    for (const char* name : {"NormCubeMap4096", "NormCubeMap16384", "NormCubeMap99999999999999"}) {
        const std::string message = messageOf(name);
        EXPECT_NE(message.find(paths.rootDir + "/tex/" + name + ".tga"), std::string::npos)
            << message;
        EXPECT_NE(message.find("2048"), std::string::npos) << message;
    }
    // No texture name was taken by the refused loads.
    GLuint after = 0;
    glGenTextures(1, &after);
    EXPECT_EQ(after, before + 1);
    glDeleteTextures(1, &before);
    glDeleteTextures(1, &after);

    // One texel wider than the driver allows, for each target; the data is all there.
    GLint max2D = 0;
    GLint maxRectangle = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max2D);
    glGetIntegerv(GL_MAX_RECTANGLE_TEXTURE_SIZE_NV, &maxRectangle);
    ASSERT_GT(max2D, 0);
    ASSERT_GT(maxRectangle, 0);
    writeTexture("pot.tga", tgaFile(2 * max2D, 1, 8, std::string(2 * std::size_t(max2D), 'x')));
    writeTexture("npot.tga",
                 tgaFile(maxRectangle + 1, 1, 8, std::string(std::size_t(maxRectangle) + 1, 'x')));
    const std::string pot = messageOf("pot");
    EXPECT_NE(pot.find(std::to_string(2 * max2D) + " x 1"), std::string::npos) << pot;
    const std::string npot = messageOf("npot");
    EXPECT_NE(npot.find(std::to_string(maxRectangle + 1) + " x 1"), std::string::npos) << npot;
    EXPECT_EQ(cache.count(), 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
