// The final combiner, fog and the draw-time choice of program variant. Expected colours follow
// min(A*B + (1-A)*C + D, 1) for RGB and G for alpha, every input unsigned; the usual inputs are
// tex0 = (0.6, 0.2, 0.8, 0.4), col0 = (1, 0.5, 0.25, 0.75), col1 = (0.2, 0.4, 0.6).
#include "EmulationFixture.h"

#include "combiners/FragmentProgramLoad.h"
#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class EmulatedFinal : public ::testing::Test {
protected:
    void SetUp() override { resetGlState(); }
};

TEST_F(EmulatedFinal, RgbIsTheLerpPlusDClampedAtOne)
{
    const float lerpR = 0.6f * 1 + 0.4f * 0.2f, lerpG = 0.2f * 0.5f + 0.8f * 0.4f,
                lerpB = 0.8f * 0.25f + 0.2f * 0.6f;
    expectScripts({
        {"out.rgb = lerp(tex0, col0, col1);\nout.a = one;\n", {lerpR, lerpG, lerpB, 1}},
        {"const0 = (0.1, 0.2, 0.3, 1);\nout.rgb = lerp(tex0, col0, col1) + const0;\nout.a = one;\n",
         {lerpR + 0.1f, lerpG + 0.2f, lerpB + 0.3f, 1}},
        {"out.rgb = lerp(tex0.a, col0, col1);\nout.a = one;\n",
         {0.4f * 1 + 0.6f * 0.2f, 0.4f * 0.5f + 0.6f * 0.4f, 0.4f * 0.25f + 0.6f * 0.6f, 1}},
        {"out.rgb = col0 + col1;\nout.a = one;\n", {1, 0.5f + 0.4f, 0.25f + 0.6f, 1}},
        {"out.rgb = unsigned_invert(tex0) * col0;\nout.a = one;\n",
         {0.4f * 1, 0.8f * 0.5f, 0.2f * 0.25f, 1}},
    });
}

TEST_F(EmulatedFinal, ColourSumAndFinalProduct)
{
    // color_sum = max(0, spare0) + max(0, col1) = tex0 + col1 = (0.8, 0.6, 1.4) with this stage.
    const std::string half = "const0 = (0.5, 0.5, 0.5, 0.5);\n";
    const std::string copy = "{ rgb { spare0 = tex0; } }\n";
    const std::string product =
        "final_product = unsigned_invert(tex0) * col0;\n"; // (0.4, 0.4, 0.05)
    expectScripts({
        {half + copy + "out.rgb = const0 * color_sum;\nout.a = one;\n",
         {0.5f * 0.8f, 0.5f * 0.6f, 0.5f * 1.4f, 1}},
        {half + copy + "clamp_color_sum();\nout.rgb = const0 * color_sum;\nout.a = one;\n",
         {0.5f * 0.8f, 0.5f * 0.6f, 0.5f * 1, 1}},
        {copy + "out.rgb = one * unsigned_invert(color_sum);\nout.a = one;\n",
         {1 - 0.8f, 1 - 0.6f, 0, 1}},
        {"{ rgb { spare0 = -tex0; } }\nout.rgb = color_sum;\nout.a = one;\n",
         {0.2f, 0.4f, 0.6f, 1}},
        {product + "out.rgb = final_product;\nout.a = one;\n", {0.4f, 0.4f, 0.05f, 1}},
        {half + product + "out.rgb = lerp(const0, final_product, col1);\nout.a = one;\n",
         {0.5f * 0.4f + 0.5f * 0.2f, 0.5f * 0.4f + 0.5f * 0.4f, 0.5f * 0.05f + 0.5f * 0.6f, 1}},
    });
}

TEST_F(EmulatedFinal, AlphaIsGAndTheAlphaTestStillApplies)
{
    expectScripts({
        {"out.rgb = col0;\nout.a = tex0;\n", {1, 0.5f, 0.25f, 0.4f}},
        {"out.rgb = col0;\nout.a = unsigned_invert(tex0);\n", {1, 0.5f, 0.25f, 1 - 0.4f}},
        {"out.rgb = col0;\nout.a = spare0;\n", {1, 0.5f, 0.25f, 0.4f}}, // starts as tex0's alpha
        // No out.a: G = zero, and the player's alpha test (greater than 0) drops the fragment.
        {"out.rgb = col0;\n", {0, 0, 0, 0}},
    });
    CompiledScript noAlpha("!!RC1.0\nout.rgb = col0;\n");
    expectColour(drawWithUsualInputs(noAlpha, [] { glDisable(GL_ALPHA_TEST); }),
                 {1, 0.5f, 0.25f, 0});
}

// Linear, exponential or squared exponential fog from 0 to 8, fog colour (0, 0, 1), over the
// primary colour (1, 0.5, 0.25) and the secondary (0.2, 0.4, 0.6).
void setFog(bool enabled, GLint mode, float density)
{
    glColor4f(1.0f, 0.5f, 0.25f, 1.0f);
    ext::glSecondaryColor3fEXT(0.2f, 0.4f, 0.6f);
    if (enabled)
        glEnable(GL_FOG);
    else
        glDisable(GL_FOG);
    glFogi(GL_FOG_MODE, mode);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 8.0f);
    glFogf(GL_FOG_DENSITY, density);
    glFogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FOG_COORDINATE_EXT);
    const GLfloat blue[] = {0.0f, 0.0f, 1.0f, 1.0f};
    glFogfv(GL_FOG_COLOR, blue);
}

// lerp(f, col0, fog colour).
Colour fogged(float f)
{
    return {f * 1 + (1 - f) * 0, f * 0.5f + (1 - f) * 0, f * 0.25f + (1 - f) * 1, 1};
}

const char* const fogScript = "!!RC1.0\nout.rgb = lerp(fog.a, col0, fog);\nout.a = one;\n";

TEST_F(EmulatedFinal, FogAlphaIsTheFogFactorAtTheDrawOrOneWithFogOffAndFogIsNeverImplicit)
{
    struct Case {
        bool enabled;
        GLint mode;
        float density;
        float factor; // at fog coordinate 2
    };
    const Case cases[] = {
        {false, GL_LINEAR, 1.0f, 1.0f},
        {true, GL_LINEAR, 1.0f, (8.0f - 2.0f) / (8.0f - 0.0f)}, // (end - c) / (end - start)
        {true, GL_EXP, 0.5f, std::exp(-0.5f * 2.0f)},
        {true, GL_EXP2, 0.25f, std::exp(-(0.25f * 2.0f) * (0.25f * 2.0f))},
    };
    CompiledScript script(fogScript);
    EXPECT_EQ(script.combiners.variantCount(), 2u); // linear fog and no fog, made at load
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fog " << c.enabled << " mode 0x" << std::hex << c.mode);
        expectColour(drawPass(
                         script, [&c] { setFog(c.enabled, c.mode, c.density); },
                         [] {
                             drawObjectQuad({0.5f, 0.5f, 0.0f}, 2.0f);
                         }),
                     fogged(c.factor));
    }
    // A screen quad switches fog off after the list was called with it on.
    expectColour(drawWithUsualInputs(script, [] { setFog(true, GL_LINEAR, 1.0f); }), fogged(1));

    // Neither the conventional fog nor the colour sum (on from start-up) touches out.rgb = col0.
    CompiledScript plain("!!RC1.0\nout.rgb = col0;\nout.a = one;\n");
    expectColour(drawPass(
                     plain, [] { setFog(true, GL_LINEAR, 1.0f); },
                     [] {
                         drawObjectQuad({0.5f, 0.5f, 0.0f}, 4.0f);
                     }),
                 {1, 0.5f, 0.25f, 1});
}

TEST_F(EmulatedFinal, EachUnitTargetGetsItsOwnVariant)
{
    // out.rgb = col0 + tex0 with col0 = 0.1: the texture shows, and a unit without one reads 0.
    CompiledScript script("!!RC1.0\nout.rgb = col0 + tex0;\nout.a = one;\n");
    const Texture flat = solidTexture(GL_TEXTURE_2D, {153, 51, 204, 255});
    const Texture rectangle = solidTexture(rectTextureTarget, {51, 204, 153, 255});
    const std::array<std::uint8_t, 4> black = {0, 0, 0, 255};
    const Texture cube = cubeTexture({{{204, 153, 51, 255}, black, black, black, black, black}});
    const auto draw = [&script](const std::function<void()>& bind,
                                const std::function<void()>& quad) {
        return drawPass(
            script,
            [&bind] {
                glColor4f(0.1f, 0.1f, 0.1f, 1.0f);
                bind();
                setScreenQuadState();
            },
            quad);
    };
    const Colour flatSum = {0.1f + 0.6f, 0.1f + 0.2f, 0.1f + 0.8f, 1};

    // None, 2D, cube map and rectangle, all made at load: drawing makes no more.
    const std::size_t loaded = rectTextureTarget == GL_TEXTURE_RECTANGLE_NV ? 4u : 3u;
    EXPECT_EQ(script.combiners.variantCount(), loaded);
    expectColour(draw([&] { bindTextureUnit(flat, 0); }, [&] { drawScreenQuad(flat); }), flatSum);
    expectColour(draw([&] { bindTextureUnit(rectangle, 0); }, [&] { drawScreenQuad(rectangle); }),
                 {0.1f + 0.2f, 0.1f + 0.8f, 0.1f + 0.6f, 1});
    // The direction (1, 0, 0) looks up the +X face.
    expectColour(draw([&] { bindTextureUnit(cube, 0); },
                      [] {
                          drawObjectQuad({1, 0, 0});
                      }),
                 {0.1f + 0.8f, 0.1f + 0.6f, 0.1f + 0.2f, 1});
    expectColour(draw([] { disableTextureUnit(0); }, [&] { drawScreenQuad(flat); }),
                 {0.1f, 0.1f, 0.1f, 1});
    expectColour(draw([&] { bindTextureUnit(flat, 0); }, [&] { drawScreenQuad(flat); }), flatSum);
    EXPECT_EQ(script.combiners.variantCount(), loaded);
}

TEST_F(EmulatedFinal, UnitsOneToThreeAreRead)
{
    CompiledScript script("!!RC1.0\n{ rgb { discard = tex1 * tex2; discard = tex3; spare0 = sum(); "
                          "} }\nout.rgb = spare0;\nout.a = one;\n");
    const Texture tex1 = solidTexture(GL_TEXTURE_2D, {51, 102, 153, 255});
    const Texture tex2 = solidTexture(GL_TEXTURE_2D, {204, 204, 102, 255});
    const Texture tex3 = solidTexture(GL_TEXTURE_2D, {51, 0, 102, 255});
    const Pixel pixel = drawPass(
        script,
        [&] {
            bindTextureUnit(tex1, 1);
            bindTextureUnit(tex2, 2);
            bindTextureUnit(tex3, 3);
        },
        [] { drawObjectQuad(); });
    expectColour(pixel, {0.2f * 0.8f + 0.2f, 0.4f * 0.8f + 0, 0.6f * 0.4f + 0.4f, 1});
}

TEST_F(EmulatedFinal, NoVariantIsLoadedWhileAListIsCompiling)
{
    // Unit 2, which the player never enables, has no cube-map variant made at load.
    CompiledScript script("!!RC1.0\nout.rgb = tex2;\nout.a = one;\n");
    const Texture cube = cubeTexture({});
    bindTextureUnit(cube, 2);
    const std::size_t loaded = script.combiners.variantCount();
    const GlHandle list = newDisplayList();
    glNewList(list.get(), GL_COMPILE);
    script.combiners.beforeDraw(); // a program text loaded here would only be recorded
    glEndList();
    EXPECT_EQ(script.combiners.variantCount(), loaded);
    script.combiners.beforeDraw();
    EXPECT_EQ(script.combiners.variantCount(), loaded + 1);
    disableTextureUnit(2);
}

TEST(FragmentProgramLoad, ReportsWhatTheDriverRefuses)
{
    resetGlState();
    GLuint program = 0;
    ext::glGenProgramsARB(1, &program);
    EXPECT_EQ(loadFragmentProgram(program, "!!ARBfp1.0\nMOV result.color, {1, 0, 0, 1};\nEND\n"),
              "");
    const std::string failure =
        loadFragmentProgram(program, "!!ARBfp1.0\nMOV result.color, nowhere;\nEND\n");
    EXPECT_NE(failure.find("rejected at character"), std::string::npos) << failure;
    ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, 0);
    ext::glDeleteProgramsARB(1, &program);
}

} // namespace
