#include "LwoSamples.h"

#include "image/TextureCache.h"
#include "lwo/LwoConvert.h"
#include "lwo/LwoReader.h"
#include "mesh/Po2Reader.h"
#include "render/MeshDraw.h"
#include "support/CheckerTexture.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace {

void expectPixel(float x, float y, std::array<int, 3> expected)
{
    const std::vector<unsigned char> rgba = readPixelsRGBA(
        static_cast<int>((x + 1.0f) * 128.0f), static_cast<int>((y + 1.0f) * 128.0f), 1, 1);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_LE(std::abs(rgba[i] - expected[i]), 2)
            << "at (" << x << ", " << y << "): " << int(rgba[0]) << " " << int(rgba[1]) << " "
            << int(rgba[2]);
}

} // namespace

TEST(LwoDraw, ConvertedCubeShowsItsTextureOnTheFrontFace)
{
    ensureOffscreenGl(256, 256);
    resetGlState();
    for (GLenum cap : {GL_LIGHTING, GL_FOG, GL_CULL_FACE, GL_BLEND, GL_DITHER})
        glDisable(cap);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);

    const Texture texture = checkerTexture();
    const Conversion conversion =
        convertLayer(parseLwo(texturedCubeLwo(), "cube.lwo"), {}, "cube.lwo");
    Mesh mesh =
        parsePo2(writePo2(conversion.mesh), "cube.po2", [&texture](const std::string& name) {
            return name == "checker" ? &texture : nullptr;
        });
    ASSERT_EQ(mesh.texture0, &texture);
    compileDisplayList(mesh);
    setupMeshTextures(mesh, 0);
    glCallList(mesh.displayList.get());

    // Identity matrices: the front face (z = -0.5) is nearest and covers the middle half; its
    // corner coordinates put the image's four texels in its four quarters.
    expectPixel(-0.25f, -0.25f, {255, 0, 0});
    expectPixel(0.25f, -0.25f, {0, 255, 0});
    expectPixel(-0.25f, 0.25f, {0, 0, 255});
    expectPixel(0.25f, 0.25f, {255, 255, 255});
    expectPixel(0.75f, 0.75f, {0, 0, 0});
}
