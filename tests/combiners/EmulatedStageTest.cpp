// General combiner stages drawn through the generated fragment programs. Every expected colour
// is worked out from the combiner equations: inputs mapped, products or dot products, the sum or
// mux of the raw products, then (x + bias) * scale clamped to [-1, 1].
#include "EmulationFixture.h"

#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Texture 0 holds (153, 51, 204, 102) / 255 = (0.6, 0.2, 0.8, 0.4); the primary colour is
// (1, 0.5, 0.25, 0.75) and the secondary (0.2, 0.4, 0.6).
constexpr std::array<std::uint8_t, 4> tex0Bytes = {153, 51, 204, 102};

class EmulatedStages : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetGlState();
        tex0 = std::make_unique<Texture>(solidTexture(GL_TEXTURE_2D, tex0Bytes));
    }

    std::array<int, 4> draw(const ScriptSpec& spec)
    {
        CompiledScript script(spec);
        return drawPass(
            script,
            [this] {
                bindTextureUnit(*tex0, 0);
                glColor4f(1.0f, 0.5f, 0.25f, 0.75f);
                ext::glSecondaryColor3fEXT(0.2f, 0.4f, 0.6f);
            },
            [this] { drawScreenQuad(*tex0); });
    }

    std::unique_ptr<Texture> tex0;
};

// spare0.rgb = x * 0.5 + 0.5 (A*B + C*D with B = D = -half_bias(zero) = 0.5 and C =
// unsigned_invert(zero) = 1), so that a signed x shows as a colour.
StageSpec encodeStage(Var x)
{
    StageSpec stage;
    stage.rgb.in = {x, half(), one(), half()};
    stage.rgb.sum = GL_SPARE0_NV;
    return stage;
}

float enc(float x)
{
    return 0.5f * x + 0.5f;
}

// A product into spare0 (or another register) of the RGB portion.
StageSpec productStage(Var a, Var b, GLenum out = GL_SPARE0_NV)
{
    StageSpec stage;
    stage.rgb.in = {a, b, Var{}, Var{}};
    stage.rgb.ab = out;
    return stage;
}

ScriptSpec showingSpare0(std::vector<StageSpec> stages)
{
    ScriptSpec spec;
    spec.stages = std::move(stages);
    spec.finals[rcD] = unsignedVar(GL_SPARE0_NV);
    return spec;
}

constexpr Var negatedTex0{GL_TEXTURE0_ARB, GL_SIGNED_NEGATE_NV, GL_RGB};

TEST_F(EmulatedStages, InputMappingsFollowTheMappingTable)
{
    struct Case {
        GLenum mapping;
        bool negative; // e = spare1 = -tex0 = (-0.6, -0.2, -0.8) instead of tex0
        std::array<float, 3> expected;
    };
    const Case cases[] = {
        {GL_UNSIGNED_IDENTITY_NV, false, {enc(0.6f), enc(0.2f), enc(0.8f)}},
        {GL_UNSIGNED_INVERT_NV, false, {enc(1 - 0.6f), enc(1 - 0.2f), enc(1 - 0.8f)}},
        {GL_EXPAND_NORMAL_NV, false, {enc(2 * 0.6f - 1), enc(2 * 0.2f - 1), enc(2 * 0.8f - 1)}},
        {GL_EXPAND_NEGATE_NV, false, {enc(-2 * 0.6f + 1), enc(-2 * 0.2f + 1), enc(-2 * 0.8f + 1)}},
        {GL_HALF_BIAS_NORMAL_NV, false, {enc(0.6f - 0.5f), enc(0.2f - 0.5f), enc(0.8f - 0.5f)}},
        {GL_HALF_BIAS_NEGATE_NV, false, {enc(-0.6f + 0.5f), enc(-0.2f + 0.5f), enc(-0.8f + 0.5f)}},
        {GL_SIGNED_IDENTITY_NV, false, {enc(0.6f), enc(0.2f), enc(0.8f)}},
        {GL_SIGNED_NEGATE_NV, false, {enc(-0.6f), enc(-0.2f), enc(-0.8f)}},
        // max(0, e) = 0 comes first in every unsigned and two-step mapping.
        {GL_UNSIGNED_IDENTITY_NV, true, {enc(0), enc(0), enc(0)}},
        {GL_UNSIGNED_INVERT_NV, true, {enc(1 - 0), enc(1 - 0), enc(1 - 0)}},
        {GL_EXPAND_NORMAL_NV, true, {enc(2 * 0 - 1), enc(2 * 0 - 1), enc(2 * 0 - 1)}},
        {GL_EXPAND_NEGATE_NV, true, {enc(-2 * 0 + 1), enc(-2 * 0 + 1), enc(-2 * 0 + 1)}},
        {GL_HALF_BIAS_NORMAL_NV, true, {enc(0 - 0.5f), enc(0 - 0.5f), enc(0 - 0.5f)}},
        {GL_HALF_BIAS_NEGATE_NV, true, {enc(-0 + 0.5f), enc(-0 + 0.5f), enc(-0 + 0.5f)}},
        {GL_SIGNED_IDENTITY_NV, true, {enc(-0.6f), enc(-0.2f), enc(-0.8f)}},
        {GL_SIGNED_NEGATE_NV, true, {enc(0.6f), enc(0.2f), enc(0.8f)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mapping 0x" << std::hex << c.mapping
                                        << (c.negative ? " of a negative register" : ""));
        std::vector<StageSpec> stages;
        if (c.negative) {
            stages.push_back(productStage(negatedTex0, one(), GL_SPARE1_NV));
            stages.push_back(encodeStage({GL_SPARE1_NV, c.mapping, GL_RGB}));
        } else {
            stages.push_back(encodeStage({GL_TEXTURE0_ARB, c.mapping, GL_RGB}));
        }
        expectColour(draw(showingSpare0(stages)), c.expected);
    }
}

TEST_F(EmulatedStages, ComponentUsageReplicatesAlphaAndFeedsBlueToTheAlphaPortion)
{
    // RGB portion reading tex0's alpha: (0.4, 0.4, 0.4).
    expectColour(draw(showingSpare0({productStage(plain(GL_TEXTURE0_ARB, GL_ALPHA), one())})),
                 std::array{0.4f, 0.4f, 0.4f});

    // Alpha portion reading tex0's blue into spare0.a, shown through the final D as alpha.
    StageSpec blue;
    blue.alpha.in = {plain(GL_TEXTURE0_ARB, GL_BLUE), one(GL_ALPHA), Var{}, Var{}};
    blue.alpha.in[rcC].usage = blue.alpha.in[rcD].usage = GL_ALPHA;
    blue.alpha.ab = GL_SPARE0_NV;
    ScriptSpec spec = showingSpare0({blue});
    spec.finals[rcD] = unsignedVar(GL_SPARE0_NV, GL_ALPHA);
    expectColour(draw(spec), std::array{0.8f, 0.8f, 0.8f});

    // Alpha portion: expand(tex0.a) * 0.5 + 0.5 = (2 * 0.4 - 1) * 0.5 + 0.5.
    StageSpec expanded;
    expanded.alpha.in = {Var{GL_TEXTURE0_ARB, GL_EXPAND_NORMAL_NV, GL_ALPHA}, half(GL_ALPHA),
                         one(GL_ALPHA), half(GL_ALPHA)};
    expanded.alpha.sum = GL_SPARE0_NV;
    spec.stages = {expanded};
    const float a = enc(2 * 0.4f - 1);
    expectColour(draw(spec), std::array{a, a, a});

    // Final G reading tex0's blue: alpha 0.8 over out.rgb = zero.
    ScriptSpec finalBlue;
    finalBlue.finals[rcG] = unsignedVar(GL_TEXTURE0_ARB, GL_BLUE);
    expectColour(draw(finalBlue), Colour{0.0f, 0.0f, 0.0f, 0.8f});
}

TEST_F(EmulatedStages, DotProductsBroadcastAndClampBeforeTheOutputButNotBeforeTheSum)
{
    const Var expandTex0{GL_TEXTURE0_ARB, GL_EXPAND_NORMAL_NV, GL_RGB};

    // expand(tex0) = (0.2, -0.6, 0.6), dotted with itself.
    StageSpec dot = productStage(expandTex0, expandTex0);
    dot.rgb.abDot = true;
    const float d = 0.2f * 0.2f + -0.6f * -0.6f + 0.6f * 0.6f;
    expectColour(draw(showingSpare0({dot})), std::array{d, d, d});

    // The same dot as C . D.
    StageSpec cdDot;
    cdDot.rgb.in = {Var{}, Var{}, expandTex0, expandTex0};
    cdDot.rgb.cd = GL_SPARE0_NV;
    cdDot.rgb.cdDot = true;
    expectColour(draw(showingSpare0({cdDot})), std::array{d, d, d});

    // tex0 . 1 = 0.6 + 0.2 + 0.8 = 1.6, clamped to 1.
    StageSpec high = productStage(unsignedVar(GL_TEXTURE0_ARB), one());
    high.rgb.abDot = true;
    expectColour(draw(showingSpare0({high})), std::array{1.0f, 1.0f, 1.0f});

    // -tex0 . 1 = -1.6, clamped to -1 in spare1; then spare1 * 0.25 + 0.5 with const0 = 0.25.
    StageSpec low = productStage(negatedTex0, one(), GL_SPARE1_NV);
    low.rgb.abDot = true;
    StageSpec quarter;
    quarter.rgb.in = {plain(GL_SPARE1_NV), unsignedVar(GL_CONSTANT_COLOR0_NV), half(), one()};
    quarter.rgb.sum = GL_SPARE0_NV;
    ScriptSpec clampLow = showingSpare0({low, quarter});
    clampLow.globals = {{GL_CONSTANT_COLOR0_NV, {0.25f, 0.25f, 0.25f, 0.25f}}};
    const float q = -1 * 0.25f + 0.5f;
    expectColour(draw(clampLow), std::array{q, q, q});

    // The sum takes the unclamped dot: 1.6 - col0 = (1.6 - 1, 1.6 - 0.5, 1.6 - 0.25), clamped.
    StageSpec dotSum;
    dotSum.rgb.in = {unsignedVar(GL_TEXTURE0_ARB), one(),
                     Var{GL_PRIMARY_COLOR_NV, GL_SIGNED_NEGATE_NV, GL_RGB}, one()};
    dotSum.rgb.abDot = true;
    dotSum.rgb.sum = GL_SPARE0_NV;
    expectColour(draw(showingSpare0({dotSum})), std::array{1.6f - 1, 1.0f, 1.0f});
}

TEST_F(EmulatedStages, MuxTestsSpare0AlphaAsTheStageReceivedIt)
{
    struct Case {
        float spare0Alpha;
        std::array<float, 3> expected;
    };
    // Below 0.5 gives A*B = tex0, 0.5 and above C*D = col0.
    const Case cases[] = {
        {0.25f, {0.6f, 0.2f, 0.8f}},
        {0.5f, {1.0f, 0.5f, 0.25f}},
        {0.75f, {1.0f, 0.5f, 0.25f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "spare0.a = " << c.spare0Alpha);
        StageSpec setAlpha;
        setAlpha.alpha.in = {plain(GL_CONSTANT_COLOR0_NV, GL_ALPHA), one(GL_ALPHA),
                             Var{GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_ALPHA},
                             Var{GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_ALPHA}};
        setAlpha.alpha.ab = GL_SPARE0_NV;
        // The alpha portion writes spare0.a = 1 in the same stage; the mux must not see it.
        StageSpec mux;
        mux.rgb.in = {plain(GL_TEXTURE0_ARB), one(), plain(GL_PRIMARY_COLOR_NV), one()};
        mux.rgb.sum = GL_SPARE0_NV;
        mux.rgb.mux = true;
        mux.alpha.in = {one(GL_ALPHA), one(GL_ALPHA), one(GL_ALPHA), one(GL_ALPHA)};
        mux.alpha.ab = GL_SPARE0_NV;
        ScriptSpec spec = showingSpare0({setAlpha, mux});
        spec.globals = {{GL_CONSTANT_COLOR0_NV, {0.0f, 0.0f, 0.0f, c.spare0Alpha}}};
        expectColour(draw(spec), c.expected);
    }
}

TEST_F(EmulatedStages, SumTakesTheProductsBeforeTheirScale)
{
    // ab = tex0 * 1 into spare1, sum = tex0 + col0 into spare0, both scaled by one half:
    // spare0 = ((0.6 + 1) / 2, (0.2 + 0.5) / 2, (0.8 + 0.25) / 2), spare1.b = 0.8 / 2 as alpha.
    StageSpec stage;
    stage.rgb.in = {plain(GL_TEXTURE0_ARB), one(), plain(GL_PRIMARY_COLOR_NV), one()};
    stage.rgb.ab = GL_SPARE1_NV;
    stage.rgb.sum = GL_SPARE0_NV;
    stage.rgb.scale = GL_SCALE_BY_ONE_HALF_NV;
    ScriptSpec spec = showingSpare0({stage});
    spec.finals[rcG] = unsignedVar(GL_SPARE1_NV, GL_BLUE);
    expectColour(draw(spec), Colour{(0.6f + 1) / 2, (0.2f + 0.5f) / 2, (0.8f + 0.25f) / 2, 0.4f});
}

TEST_F(EmulatedStages, ScaleAndBiasApplyBiasFirstThenScaleThenClamp)
{
    struct Case {
        GLenum scale;
        GLenum bias;
        bool negative; // x = -tex0 = (-0.6, -0.2, -0.8) instead of tex0
        std::array<float, 3> expected;
    };
    constexpr GLenum halfBias = GL_BIAS_BY_NEGATIVE_ONE_HALF_NV;
    const Case cases[] = {
        {GL_NONE, GL_NONE, false, {enc(0.6f), enc(0.2f), enc(0.8f)}},
        {GL_SCALE_BY_TWO_NV, GL_NONE, false, {enc(1), enc(2 * 0.2f), enc(1)}},
        {GL_SCALE_BY_FOUR_NV, GL_NONE, false, {enc(1), enc(4 * 0.2f), enc(1)}},
        {GL_SCALE_BY_ONE_HALF_NV, GL_NONE, false, {enc(0.3f), enc(0.1f), enc(0.4f)}},
        {GL_NONE, halfBias, false, {enc(0.6f - 0.5f), enc(0.2f - 0.5f), enc(0.8f - 0.5f)}},
        {GL_SCALE_BY_TWO_NV,
         halfBias,
         false,
         {enc((0.6f - 0.5f) * 2), enc((0.2f - 0.5f) * 2), enc((0.8f - 0.5f) * 2)}},
        {GL_SCALE_BY_TWO_NV, GL_NONE, true, {enc(-1), enc(-2 * 0.2f), enc(-1)}},
        {GL_SCALE_BY_FOUR_NV, GL_NONE, true, {enc(-1), enc(-4 * 0.2f), enc(-1)}},
        {GL_SCALE_BY_ONE_HALF_NV, GL_NONE, true, {enc(-0.3f), enc(-0.1f), enc(-0.4f)}},
        // -0.6 - 0.5 = -1.1 and -0.8 - 0.5 = -1.3 clamp to -1.
        {GL_NONE, halfBias, true, {enc(-1), enc(-0.2f - 0.5f), enc(-1)}},
        {GL_SCALE_BY_TWO_NV, halfBias, true, {enc(-1), enc(-1), enc(-1)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "scale 0x" << std::hex << c.scale << " bias 0x" << c.bias
                                        << (c.negative ? " of -tex0" : ""));
        StageSpec scaled =
            productStage(c.negative ? negatedTex0 : plain(GL_TEXTURE0_ARB), one(), GL_SPARE1_NV);
        scaled.rgb.scale = c.scale;
        scaled.rgb.bias = c.bias;
        expectColour(draw(showingSpare0({scaled, encodeStage(plain(GL_SPARE1_NV))})), c.expected);
    }

    // Each portion has its own: RGB halved, alpha doubled (0.4 * 2).
    StageSpec both = productStage(plain(GL_TEXTURE0_ARB), one());
    both.rgb.scale = GL_SCALE_BY_ONE_HALF_NV;
    both.alpha.in[rcA] = plain(GL_TEXTURE0_ARB, GL_ALPHA);
    both.alpha.in[rcB] = one(GL_ALPHA);
    both.alpha.ab = GL_SPARE0_NV;
    both.alpha.scale = GL_SCALE_BY_TWO_NV;
    ScriptSpec spec = showingSpare0({both});
    spec.finals[rcG] = unsignedVar(GL_SPARE0_NV, GL_ALPHA);
    expectColour(draw(spec), Colour{0.3f, 0.1f, 0.4f, 0.8f});
}

TEST_F(EmulatedStages, StagesReadTheirInputSetAndWriteForTheNextStage)
{
    // col0 = tex0 and tex0 = col0 in one stage swap the two registers.
    StageSpec swap;
    swap.rgb.in = {plain(GL_TEXTURE0_ARB), one(), plain(GL_PRIMARY_COLOR_NV), one()};
    swap.rgb.ab = GL_PRIMARY_COLOR_NV;
    swap.rgb.cd = GL_TEXTURE0_ARB;
    ScriptSpec spec;
    spec.stages = {swap};
    spec.finals[rcD] = unsignedVar(GL_PRIMARY_COLOR_NV);
    expectColour(draw(spec), std::array{0.6f, 0.2f, 0.8f});
    spec.finals[rcD] = unsignedVar(GL_TEXTURE0_ARB);
    expectColour(draw(spec), std::array{1.0f, 0.5f, 0.25f});

    // The alpha portion reads spare0.b while the RGB portion writes spare0: it sees the blue
    // spare0 started with (0), not tex0's 0.8.
    StageSpec same = productStage(plain(GL_TEXTURE0_ARB), one());
    same.alpha.in[rcA] = plain(GL_SPARE0_NV, GL_BLUE);
    same.alpha.in[rcB] = one(GL_ALPHA);
    same.alpha.ab = GL_SPARE1_NV;
    ScriptSpec parallel;
    parallel.stages = {same};
    parallel.finals[rcA] = unsignedVar(GL_SPARE1_NV, GL_ALPHA);
    parallel.finals[rcB] = one();
    parallel.finals[rcC] = unsignedVar(GL_PRIMARY_COLOR_NV);
    // lerp(0, 1, col0) = col0.
    expectColour(draw(parallel), std::array{1.0f, 0.5f, 0.25f});
}

TEST_F(EmulatedStages, PerStageConstantsReplaceTheGlobalOnesOnlyInGeneralStages)
{
    // Stage 0 copies const0 into spare0; the final combiner adds its own const0: C + D.
    const Colour global = {0.0f, 0.4f, 0.0f, 1.0f};
    struct Case {
        Colour local;
        bool perStage;
        std::array<float, 3> expected;
    };
    const Case cases[] = {
        {{0.6f, 0.0f, 0.0f, 1.0f}, true, {0.6f + 0.0f, 0.0f + 0.4f, 0.0f}},
        {{0.6f, 0.0f, 0.0f, 1.0f}, false, {0.0f, 0.4f + 0.4f, 0.0f}},
        // Constants are clamped to [0, 1] when set.
        {{1.5f, -0.5f, 0.3f, 1.0f}, true, {1.0f, 0.0f + 0.4f, 0.3f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "per-stage " << c.perStage << " red " << c.local[0]);
        StageSpec stage = productStage(plain(GL_CONSTANT_COLOR0_NV), one());
        stage.constants = {{GL_CONSTANT_COLOR0_NV, c.local}};
        ScriptSpec spec = showingSpare0({stage});
        spec.globals = {{GL_CONSTANT_COLOR0_NV, global}};
        spec.perStageConstants = c.perStage;
        spec.finals[rcC] = unsignedVar(GL_CONSTANT_COLOR0_NV);
        expectColour(draw(spec), c.expected);
    }
}

TEST_F(EmulatedStages, EightStagesRunInOrder)
{
    // Each stage adds its own const0 of 0.1 to spare0, which starts at 0 without texture 0.
    std::vector<StageSpec> stages;
    for (int i = 0; i < 8; ++i) {
        StageSpec add;
        add.rgb.in = {plain(GL_SPARE0_NV), one(), plain(GL_CONSTANT_COLOR0_NV), one()};
        add.rgb.sum = GL_SPARE0_NV;
        add.constants = {{GL_CONSTANT_COLOR0_NV, {0.1f, 0.05f, 0.0f, 0.0f}}};
        stages.push_back(add);
    }
    ScriptSpec spec = showingSpare0(stages);
    spec.perStageConstants = true;
    CompiledScript script(spec);
    Texture none("none");
    const auto pixel = drawPass(
        script, [] { glColor4f(1.0f, 1.0f, 1.0f, 1.0f); }, [&none] { drawScreenQuad(none); });
    expectColour(pixel, std::array{8 * 0.1f, 8 * 0.05f, 0.0f});
}

} // namespace
