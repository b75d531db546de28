#include "EmulationFixture.h"

#include "combiners/CombinerCompiler.h"
#include "render/MaterialPass.h"
#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>

namespace {

constexpr int tolerance = 2;
constexpr int textureSide = 2;

std::vector<std::uint8_t> repeatedTexel(std::array<std::uint8_t, 4> rgba)
{
    std::vector<std::uint8_t> texels;
    for (int i = 0; i < textureSide * textureSide; ++i)
        texels.insert(texels.end(), rgba.begin(), rgba.end());
    return texels;
}

Texture emptyTexture(GLenum target)
{
    Texture texture("solid");
    texture.target = target;
    texture.width = texture.height = textureSide;
    texture.glName = newTexture();
    glBindTexture(target, texture.glName.get());
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

Material emulatedPass()
{
    Material material;
    material.combiners.emplace(newDisplayList(), std::make_unique<EmulatedCombiners>());
    return material;
}

} // namespace

CompiledScript::CompiledScript(const std::string& text)
    : material(emulatedPass()), combiners(*material.combiners->emulated)
{
    glNewList(material.combiners->list.get(), GL_COMPILE);
    std::ostringstream echo;
    parseCombinerScript(text.c_str(), &combiners.sink(), echo);
    combiners.recordBind();
    glEndList();
    errors = combinerErrors();
    combiners.finishCompile();
}

Pixel drawPass(CompiledScript& script, const std::function<void()>& setUp,
               const std::function<void()>& draw)
{
    glClear(GL_COLOR_BUFFER_BIT); // a dropped fragment must not pass for the last pass's pixel
    drawMaterialPass(script.material, setUp, draw);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const auto bytes = readPixelsRGBA(offscreenWidth() / 2, offscreenHeight() / 2, 1, 1);
    return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

Pixel drawWithUsualInputs(CompiledScript& script, const std::function<void()>& extra)
{
    static const Texture tex0 = solidTexture(GL_TEXTURE_2D, {153, 51, 204, 102});
    return drawPass(
        script,
        [&extra] {
            bindTextureUnit(tex0, 0);
            glColor4f(1.0f, 0.5f, 0.25f, 0.75f);
            ext::glSecondaryColor3fEXT(0.2f, 0.4f, 0.6f);
            extra();
            setScreenQuadState();
        },
        [] { drawScreenQuad(tex0); });
}

Texture solidTexture(GLenum target, std::array<std::uint8_t, 4> rgba)
{
    Texture texture = emptyTexture(target);
    glTexImage2D(target, 0, GL_RGBA8, textureSide, textureSide, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 repeatedTexel(rgba).data());
    glBindTexture(target, 0);
    return texture;
}

Texture cubeTexture(const std::array<std::array<std::uint8_t, 4>, 6>& faces)
{
    Texture texture = emptyTexture(GL_TEXTURE_CUBE_MAP_ARB);
    for (std::size_t face = 0; face < faces.size(); ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + static_cast<GLenum>(face), 0, GL_RGBA8,
                     textureSide, textureSide, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     repeatedTexel(faces[face]).data());
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, 0);
    return texture;
}

void drawObjectQuad(std::array<float, 3> texCoord, float fogCoord)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_TRIANGLE_STRIP);
    for (const auto& [x, y] :
         {std::pair{-1.0f, -1.0f}, {-1.0f, 1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}}) {
        for (GLenum unit = 0; unit < 4; ++unit)
            ext::glMultiTexCoord3fARB(GL_TEXTURE0_ARB + unit, texCoord[0], texCoord[1],
                                      texCoord[2]);
        ext::glFogCoordfEXT(fogCoord);
        glVertex3f(x, y, 0.0f);
    }
    glEnd();
}

void expectColour(const Pixel& pixel, const Colour& rgba)
{
    for (std::size_t i = 0; i < rgba.size(); ++i)
        EXPECT_NEAR(pixel[i], static_cast<int>(std::lround(rgba[i] * 255.0f)), tolerance)
            << "channel "
            << "rgba"[i] << " expected " << rgba[i];
}

void expectScripts(const std::vector<ScriptCase>& cases)
{
    for (const ScriptCase& c : cases) {
        SCOPED_TRACE(c.text);
        CompiledScript script("!!RC1.0\n" + c.text);
        ASSERT_TRUE(script.errors.empty()) << script.errors.front();
        expectColour(drawWithUsualInputs(script), c.expected);
    }
}
