#include "EmulationFixture.h"

#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int tolerance = 2;
constexpr int textureSide = 2;

GLenum stageName(std::size_t index)
{
    return GL_COMBINER0_NV + static_cast<GLenum>(index);
}

void emitPortion(CombinerSink& sink, GLenum stage, GLenum portion, const PortionSpec& spec)
{
    for (std::size_t v = 0; v < spec.in.size(); ++v)
        sink.input(stage, portion, GL_VARIABLE_A_NV + static_cast<GLenum>(v), spec.in[v].input,
                   spec.in[v].mapping, spec.in[v].usage);
    sink.output(stage, portion, spec.ab, spec.cd, spec.sum, spec.scale, spec.bias,
                spec.abDot ? GL_TRUE : GL_FALSE, spec.cdDot ? GL_TRUE : GL_FALSE,
                spec.mux ? GL_TRUE : GL_FALSE);
}

std::vector<std::uint8_t> repeatedTexel(std::array<std::uint8_t, 4> rgba)
{
    std::vector<std::uint8_t> texels;
    for (int i = 0; i < textureSide * textureSide; ++i)
        texels.insert(texels.end(), rgba.begin(), rgba.end());
    return texels;
}

void setNearest(GLenum target)
{
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

void expectChannel(int actual, float expected, const char* channel)
{
    const int wanted = static_cast<int>(std::lround(expected * 255.0f));
    EXPECT_NEAR(actual, wanted, tolerance) << channel << " expected " << expected;
}

} // namespace

void emitScript(CombinerSink& sink, const ScriptSpec& script)
{
    for (const auto& [reg, value] : script.globals)
        sink.parameterfv(reg, value.data());
    sink.parameteri(GL_NUM_GENERAL_COMBINERS_NV, static_cast<GLint>(script.stages.size()));
    for (std::size_t i = 0; i < script.stages.size(); ++i) {
        const StageSpec& stage = script.stages[i];
        for (const auto& [reg, value] : stage.constants)
            sink.stageParameterfv(stageName(i), reg, value.data());
        emitPortion(sink, stageName(i), GL_RGB, stage.rgb);
        emitPortion(sink, stageName(i), GL_ALPHA, stage.alpha);
    }
    sink.perStageConstants(script.perStageConstants);
    sink.parameteri(GL_COLOR_SUM_CLAMP_NV, script.clampColorSum ? 1 : 0);
    for (std::size_t v = 0; v < script.finals.size(); ++v)
        sink.finalInput(GL_VARIABLE_A_NV + static_cast<GLenum>(v), script.finals[v].input,
                        script.finals[v].mapping, script.finals[v].usage);
}

CompiledScript::CompiledScript(const ScriptSpec& script)
{
    list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    emitScript(combiners.sink(), script);
    combiners.recordBind();
    glEndList();
    combiners.finishCompile();
}

CompiledScript::~CompiledScript()
{
    glDeleteLists(list, 1);
}

std::array<int, 4> drawPass(CompiledScript& script, const std::function<void()>& setUp,
                            const std::function<void()>& draw)
{
    // A dropped fragment must not pass for the previous pass's pixel.
    glClear(GL_COLOR_BUFFER_BIT);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_FRAGMENT_PROGRAM_ARB);
    glCallList(script.list);
    setActiveCombiners(&script.combiners);
    setUp();
    draw();
    glPopAttrib();
    setActiveCombiners(nullptr);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const std::vector<unsigned char> pixel =
        readPixelsRGBA(offscreenWidth() / 2, offscreenHeight() / 2, 1, 1);
    return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

Texture solidTexture(GLenum target, std::array<std::uint8_t, 4> rgba)
{
    Texture texture("solid");
    texture.target = target;
    texture.width = textureSide;
    texture.height = textureSide;
    texture.components = 4;
    glGenTextures(1, &texture.glName);
    glBindTexture(target, texture.glName);
    setNearest(target);
    glTexImage2D(target, 0, GL_RGBA8, textureSide, textureSide, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 repeatedTexel(rgba).data());
    glBindTexture(target, 0);
    return texture;
}

Texture cubeTexture(const std::array<std::array<std::uint8_t, 4>, 6>& faces)
{
    Texture texture("cube");
    texture.target = GL_TEXTURE_CUBE_MAP_ARB;
    texture.width = textureSide;
    texture.height = textureSide;
    texture.components = 3;
    glGenTextures(1, &texture.glName);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, texture.glName);
    setNearest(GL_TEXTURE_CUBE_MAP_ARB);
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
    prepareActiveCombiners();
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

void expectColour(const std::array<int, 4>& pixel, const std::array<float, 3>& rgb)
{
    expectChannel(pixel[0], rgb[0], "red");
    expectChannel(pixel[1], rgb[1], "green");
    expectChannel(pixel[2], rgb[2], "blue");
}

void expectColour(const std::array<int, 4>& pixel, const Colour& rgba)
{
    expectColour(pixel, std::array<float, 3>{rgba[0], rgba[1], rgba[2]});
    expectChannel(pixel[3], rgba[3], "alpha");
}
