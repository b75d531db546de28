// The final combiner, fog and the draw-time choice of program variant, drawn through the
// generated fragment programs. Expected colours follow the final combiner's equation:
// min(A*B + (1-A)*C + D, 1) for RGB and G for alpha, every input unsigned.
#include "EmulationFixture.h"

#include "combiners/FragmentProgramLoad.h"
#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// Texture 0 holds (0.6, 0.2, 0.8, 0.4); the primary colour is (1, 0.5, 0.25, 0.75) and the
// secondary (0.2, 0.4, 0.6).
constexpr std::array<std::uint8_t, 4> tex0Bytes = {153, 51, 204, 102};

class EmulatedFinal : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetGlState();
        tex0 = std::make_unique<Texture>(solidTexture(GL_TEXTURE_2D, tex0Bytes));
    }

    void bindAndColour() const
    {
        bindTextureUnit(*tex0, 0);
        glColor4f(1.0f, 0.5f, 0.25f, 0.75f);
        ext::glSecondaryColor3fEXT(0.2f, 0.4f, 0.6f);
    }

    std::array<int, 4> draw(
        CompiledScript& script, const std::function<void()>& extra = [] {})
    {
        return drawPass(
            script,
            [this, &extra] {
                bindAndColour();
                extra();
            },
            [this] { drawScreenQuad(*tex0); });
    }

    std::array<int, 4> draw(const ScriptSpec& spec)
    {
        CompiledScript script(spec);
        return draw(script);
    }

    std::unique_ptr<Texture> tex0;
};

ScriptSpec finalOnly(Var a, Var b, Var c, Var d)
{
    ScriptSpec spec;
    spec.finals[rcA] = a;
    spec.finals[rcB] = b;
    spec.finals[rcC] = c;
    spec.finals[rcD] = d;
    return spec;
}

const Var tex0Var = unsignedVar(GL_TEXTURE0_ARB);
const Var col0Var = unsignedVar(GL_PRIMARY_COLOR_NV);
const Var col1Var = unsignedVar(GL_SECONDARY_COLOR_NV);
const Var zeroVar{};

TEST_F(EmulatedFinal, RgbIsTheLerpPlusDClampedAtOne)
{
    struct Case {
        const char* name;
        ScriptSpec spec;
        std::array<float, 3> expected;
    };
    ScriptSpec withConstant =
        finalOnly(tex0Var, col0Var, col1Var, unsignedVar(GL_CONSTANT_COLOR0_NV));
    withConstant.globals = {{GL_CONSTANT_COLOR0_NV, {0.1f, 0.2f, 0.3f, 1.0f}}};
    const Case cases[] = {
        {"lerp(tex0, col0, col1)",
         finalOnly(tex0Var, col0Var, col1Var, zeroVar),
         {0.6f * 1 + 0.4f * 0.2f, 0.2f * 0.5f + 0.8f * 0.4f, 0.8f * 0.25f + 0.2f * 0.6f}},
        {"lerp(tex0, col0, col1) + const0",
         withConstant,
         {0.68f + 0.1f, 0.42f + 0.2f, 0.32f + 0.3f}},
        {"lerp(tex0.a, col0, col1)",
         finalOnly(unsignedVar(GL_TEXTURE0_ARB, GL_ALPHA), col0Var, col1Var, zeroVar),
         {0.4f * 1 + 0.6f * 0.2f, 0.4f * 0.5f + 0.6f * 0.4f, 0.4f * 0.25f + 0.6f * 0.6f}},
        {"col0 + col1", finalOnly(one(), col0Var, zeroVar, col1Var), {1.0f, 0.9f, 0.85f}},
        {"unsigned_invert(tex0) * col0",
         finalOnly({GL_TEXTURE0_ARB, GL_UNSIGNED_INVERT_NV, GL_RGB}, col0Var, zeroVar, zeroVar),
         {0.4f * 1, 0.8f * 0.5f, 0.2f * 0.25f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectColour(draw(c.spec), c.expected);
    }
}

TEST_F(EmulatedFinal, ColourSumAndFinalProduct)
{
    // Stage 0 writes spare0 = tex0 (or -tex0); color_sum = max(0, spare0) + max(0, col1).
    StageSpec copy;
    copy.rgb.in = {plain(GL_TEXTURE0_ARB), one(), Var{}, Var{}};
    copy.rgb.ab = GL_SPARE0_NV;
    StageSpec negate = copy;
    negate.rgb.in[rcA].mapping = GL_SIGNED_NEGATE_NV;
    const Var colourSum = unsignedVar(GL_SPARE0_PLUS_SECONDARY_COLOR_NV);
    const Var product = unsignedVar(GL_E_TIMES_F_NV);
    const Var halfConstant = unsignedVar(GL_CONSTANT_COLOR0_NV);

    struct Case {
        const char* name;
        StageSpec stage;
        bool clamp;
        std::array<Var, 4> abcd;
        std::array<float, 3> expected;
    };
    const Case cases[] = {
        // color_sum = (0.8, 0.6, 1.4) may pass 1 before the lerp scales it.
        {"0.5 * color_sum",
         copy,
         false,
         {halfConstant, colourSum, zeroVar, zeroVar},
         {0.5f * 0.8f, 0.5f * 0.6f, 0.5f * 1.4f}},
        {"0.5 * clamped color_sum",
         copy,
         true,
         {halfConstant, colourSum, zeroVar, zeroVar},
         {0.5f * 0.8f, 0.5f * 0.6f, 0.5f * 1.0f}},
        {"unsigned_invert(color_sum)",
         copy,
         false,
         {one(),
          {GL_SPARE0_PLUS_SECONDARY_COLOR_NV, GL_UNSIGNED_INVERT_NV, GL_RGB},
          zeroVar,
          zeroVar},
         {1 - 0.8f, 1 - 0.6f, 1 - 1.0f}},
        {"color_sum of a negative spare0",
         negate,
         false,
         {zeroVar, zeroVar, zeroVar, colourSum},
         {0 + 0.2f, 0 + 0.4f, 0 + 0.6f}},
        // E = unsigned_invert(tex0) = (0.4, 0.8, 0.2), F = col0.
        {"final_product", copy, false, {zeroVar, zeroVar, zeroVar, product}, {0.4f, 0.4f, 0.05f}},
        {"lerp(0.5, final_product, col1)",
         copy,
         false,
         {halfConstant, product, col1Var, zeroVar},
         {0.5f * 0.4f + 0.5f * 0.2f, 0.5f * 0.4f + 0.5f * 0.4f, 0.5f * 0.05f + 0.5f * 0.6f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptSpec spec = finalOnly(c.abcd[0], c.abcd[1], c.abcd[2], c.abcd[3]);
        spec.stages = {c.stage};
        spec.clampColorSum = c.clamp;
        spec.globals = {{GL_CONSTANT_COLOR0_NV, {0.5f, 0.5f, 0.5f, 0.5f}}};
        spec.finals[rcE] = {GL_TEXTURE0_ARB, GL_UNSIGNED_INVERT_NV, GL_RGB};
        spec.finals[rcF] = col0Var;
        expectColour(draw(spec), c.expected);
    }
}

TEST_F(EmulatedFinal, AlphaIsGAndTheAlphaTestStillApplies)
{
    ScriptSpec spec = finalOnly(zeroVar, zeroVar, zeroVar, col0Var);
    spec.finals[rcG] = unsignedVar(GL_TEXTURE0_ARB, GL_ALPHA);
    expectColour(draw(spec), Colour{1.0f, 0.5f, 0.25f, 0.4f});
    spec.finals[rcG] = {GL_TEXTURE0_ARB, GL_UNSIGNED_INVERT_NV, GL_ALPHA};
    expectColour(draw(spec), Colour{1.0f, 0.5f, 0.25f, 1 - 0.4f});
    // spare0 alpha starts as texture 0's alpha.
    spec.finals[rcG] = unsignedVar(GL_SPARE0_NV, GL_ALPHA);
    expectColour(draw(spec), Colour{1.0f, 0.5f, 0.25f, 0.4f});

    // G = zero: the player's alpha test (greater than 0) removes the fragment, as it does
    // natively for a script without out.a; the cleared pixel stays.
    spec.finals[rcG] = Var{GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_ALPHA};
    CompiledScript noAlpha(spec);
    expectColour(draw(noAlpha), Colour{0.0f, 0.0f, 0.0f, 0.0f});
    expectColour(draw(noAlpha, [] { glDisable(GL_ALPHA_TEST); }), Colour{1.0f, 0.5f, 0.25f, 0.0f});
}

TEST_F(EmulatedFinal, ConventionalColourSumAndFogAreNotApplied)
{
    // Colour sum is on from start-up and fog is on here: neither touches out.rgb = col0.
    CompiledScript script(finalOnly(zeroVar, zeroVar, zeroVar, col0Var));
    const auto pixel = drawPass(
        script,
        [this] {
            bindAndColour();
            glEnable(GL_FOG);
            glFogi(GL_FOG_MODE, GL_LINEAR);
            glFogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FOG_COORDINATE_EXT);
            const GLfloat blue[] = {0.0f, 0.0f, 1.0f, 1.0f};
            glFogfv(GL_FOG_COLOR, blue);
        },
        [] {
            drawObjectQuad({0.5f, 0.5f, 0.0f}, 0.5f);
        });
    expectColour(pixel, std::array{1.0f, 0.5f, 0.25f});
}

// out.rgb = lerp(fog.a, col0, fog.rgb) with the fog colour (0, 0, 1) and fog coordinate 2.
ScriptSpec fogScript()
{
    return finalOnly(unsignedVar(GL_FOG, GL_ALPHA), col0Var, unsignedVar(GL_FOG), zeroVar);
}

std::array<float, 3> fogged(float f)
{
    return {f * 1 + (1 - f) * 0, f * 0.5f + (1 - f) * 0, f * 0.25f + (1 - f) * 1};
}

TEST_F(EmulatedFinal, FogAlphaIsTheFogFactorAtTheDrawOrOneWithFogOff)
{
    struct Case {
        bool enabled;
        GLint mode;
        float density;
        float factor;
    };
    const Case cases[] = {
        {false, GL_LINEAR, 1.0f, 1.0f},
        {true, GL_LINEAR, 1.0f, (8.0f - 2.0f) / (8.0f - 0.0f)}, // (end - c) / (end - start)
        {true, GL_EXP, 0.5f, std::exp(-0.5f * 2.0f)},           // e^-(density c)
        {true, GL_EXP2, 0.25f, std::exp(-(0.25f * 2.0f) * (0.25f * 2.0f))},
    };
    CompiledScript script(fogScript());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fog " << c.enabled << " mode 0x" << std::hex << c.mode);
        const auto pixel = drawPass(
            script,
            [this, &c] {
                bindAndColour();
                if (c.enabled)
                    glEnable(GL_FOG);
                else
                    glDisable(GL_FOG);
                glFogi(GL_FOG_MODE, c.mode);
                glFogf(GL_FOG_START, 0.0f);
                glFogf(GL_FOG_END, 8.0f);
                glFogf(GL_FOG_DENSITY, c.density);
                glFogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FOG_COORDINATE_EXT);
                const GLfloat blue[] = {0.0f, 0.0f, 1.0f, 1.0f};
                glFogfv(GL_FOG_COLOR, blue);
            },
            [] {
                drawObjectQuad({0.5f, 0.5f, 0.0f}, 2.0f);
            });
        expectColour(pixel, fogged(c.factor));
    }
}

TEST_F(EmulatedFinal, ScreenQuadsSeeTheFogTheyDrawWithNotTheFogTheListMet)
{
    // Fog is on when the list is called; the screen quad turns it off before its draw.
    CompiledScript script(fogScript());
    const auto pixel = draw(script, [] {
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 0.0f);
        glFogf(GL_FOG_END, 8.0f);
        const GLfloat blue[] = {0.0f, 0.0f, 1.0f, 1.0f};
        glFogfv(GL_FOG_COLOR, blue);
    });
    expectColour(pixel, fogged(1.0f));
}

TEST_F(EmulatedFinal, EachUnitTargetGetsItsOwnVariant)
{
    // out.rgb = col0 + tex0 with col0 = 0.1: the texture shows, and an unbound unit reads 0.
    CompiledScript script(finalOnly(zeroVar, zeroVar, col0Var, tex0Var));
    const Texture flat = solidTexture(GL_TEXTURE_2D, {153, 51, 204, 255});
    const Texture rectangle = solidTexture(rectTextureTarget, {51, 204, 153, 255});
    const Texture cube = cubeTexture({{{204, 153, 51, 255},
                                       {0, 0, 0, 255},
                                       {0, 0, 0, 255},
                                       {0, 0, 0, 255},
                                       {0, 0, 0, 255},
                                       {0, 0, 0, 255}}});
    const auto drawWith = [&script](const std::function<void()>& bind,
                                    const std::function<void()>& quad) {
        return drawPass(
            script,
            [&bind] {
                glColor4f(0.1f, 0.1f, 0.1f, 1.0f);
                bind();
            },
            quad);
    };
    const auto screenQuad = [](const Texture& texture) {
        return [&texture] { drawScreenQuad(texture); };
    };

    EXPECT_EQ(script.combiners.variantCount(), 1u); // the predicted 2D variant
    expectColour(drawWith([&] { bindTextureUnit(flat, 0); }, screenQuad(flat)),
                 std::array{0.1f + 0.6f, 0.1f + 0.2f, 0.1f + 0.8f});
    EXPECT_EQ(script.combiners.variantCount(), 1u);
    expectColour(drawWith([&] { bindTextureUnit(rectangle, 0); }, screenQuad(rectangle)),
                 std::array{0.1f + 0.2f, 0.1f + 0.8f, 0.1f + 0.6f});
    // The direction (1, 0, 0) looks up the +X face.
    expectColour(drawWith([&] { bindTextureUnit(cube, 0); },
                          [] {
                              drawObjectQuad({1.0f, 0.0f, 0.0f});
                          }),
                 std::array{0.1f + 0.8f, 0.1f + 0.6f, 0.1f + 0.2f});
    expectColour(drawWith([] { disableTextureUnit(0); }, screenQuad(flat)),
                 std::array{0.1f, 0.1f, 0.1f});
    EXPECT_EQ(script.combiners.variantCount(), 4u);
    // Back to 2D: the cached variant, not a fifth.
    expectColour(drawWith([&] { bindTextureUnit(flat, 0); }, screenQuad(flat)),
                 std::array{0.1f + 0.6f, 0.1f + 0.2f, 0.1f + 0.8f});
    EXPECT_EQ(script.combiners.variantCount(), 4u);
}

TEST_F(EmulatedFinal, UnitsOneToThreeAreRead)
{
    // spare0 = tex1 * tex2 + tex3 = (0.2 * 0.8 + 0.2, 0.4 * 0.8 + 0, 0.6 * 0.4 + 0.4).
    StageSpec stage;
    stage.rgb.in = {plain(GL_TEXTURE1_ARB), plain(GL_TEXTURE2_ARB), plain(GL_TEXTURE3_ARB), one()};
    stage.rgb.sum = GL_SPARE0_NV;
    ScriptSpec spec = finalOnly(zeroVar, zeroVar, zeroVar, unsignedVar(GL_SPARE0_NV));
    spec.stages = {stage};
    CompiledScript script(spec);
    const Texture tex1 = solidTexture(GL_TEXTURE_2D, {51, 102, 153, 255});
    const Texture tex2 = solidTexture(GL_TEXTURE_2D, {204, 204, 102, 255});
    const Texture tex3 = solidTexture(GL_TEXTURE_2D, {51, 0, 102, 255});
    const auto pixel = drawPass(
        script,
        [&] {
            bindTextureUnit(tex1, 1);
            bindTextureUnit(tex2, 2);
            bindTextureUnit(tex3, 3);
        },
        [] { drawObjectQuad(); });
    expectColour(pixel, std::array{0.2f * 0.8f + 0.2f, 0.4f * 0.8f + 0.0f, 0.6f * 0.4f + 0.4f});
}

TEST_F(EmulatedFinal, NoVariantIsLoadedWhileAListIsCompiling)
{
    CompiledScript script(finalOnly(zeroVar, zeroVar, zeroVar, tex0Var));
    const Texture rectangle = solidTexture(rectTextureTarget, {51, 204, 153, 255});
    bindTextureUnit(rectangle, 0);
    setActiveCombiners(&script.combiners);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    prepareActiveCombiners(); // a program text here would only be recorded
    glEndList();
    EXPECT_EQ(script.combiners.variantCount(), 1u);
    prepareActiveCombiners();
    EXPECT_EQ(script.combiners.variantCount(), 2u);
    setActiveCombiners(nullptr);
    glDeleteLists(list, 1);
    disableTextureUnit(0);
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
