// General combiner stages drawn through the generated fragment programs, with the usual inputs
// tex0 = (0.6, 0.2, 0.8, 0.4), col0 = (1, 0.5, 0.25, 0.75), col1 = (0.2, 0.4, 0.6). Expected
// colours follow the combiner equations: inputs mapped, products or dot products, the sum or
// mux of the raw products, then (x + bias) * scale clamped to [-1, 1].
#include "EmulationFixture.h"

#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

namespace {

const std::string show = "out.rgb = spare0;\nout.a = one;\n";

// spare0 = x * 0.5 + 0.5 (half_bias(one) = 0.5), so that a signed x shows as a colour.
std::string encoded(const std::string& x)
{
    return "{ rgb { discard = " + x +
           " * half_bias(one); discard = one * half_bias(one); spare0 = sum(); } }\n";
}

float enc(float x)
{
    return 0.5f * x + 0.5f;
}

Colour grey(float v)
{
    return {v, v, v, 1.0f};
}

Colour encoded(float r, float g, float b)
{
    return {enc(r), enc(g), enc(b), 1.0f};
}

class EmulatedStages : public ::testing::Test {
protected:
    void SetUp() override { resetGlState(); }
};

TEST_F(EmulatedStages, InputMappingsFollowTheMappingTable)
{
    // spare1 = -tex0 = (-0.6, -0.2, -0.8): unsigned and two-step mappings take max(0, e) first.
    const std::string negative = "{ rgb { spare1 = -tex0; } }\n";
    expectScripts({
        {encoded("unsigned(tex0)") + show, encoded(0.6f, 0.2f, 0.8f)},
        {encoded("unsigned_invert(tex0)") + show, encoded(1 - 0.6f, 1 - 0.2f, 1 - 0.8f)},
        {encoded("expand(tex0)") + show, encoded(2 * 0.6f - 1, 2 * 0.2f - 1, 2 * 0.8f - 1)},
        {encoded("-expand(tex0)") + show, encoded(-2 * 0.6f + 1, -2 * 0.2f + 1, -2 * 0.8f + 1)},
        {encoded("half_bias(tex0)") + show, encoded(0.6f - 0.5f, 0.2f - 0.5f, 0.8f - 0.5f)},
        {encoded("-half_bias(tex0)") + show, encoded(-0.6f + 0.5f, -0.2f + 0.5f, -0.8f + 0.5f)},
        {encoded("tex0") + show, encoded(0.6f, 0.2f, 0.8f)},
        {encoded("-tex0") + show, encoded(-0.6f, -0.2f, -0.8f)},
        {negative + encoded("unsigned(spare1)") + show, encoded(0, 0, 0)},
        {negative + encoded("unsigned_invert(spare1)") + show, encoded(1 - 0, 1 - 0, 1 - 0)},
        {negative + encoded("expand(spare1)") + show, encoded(2 * 0 - 1, 2 * 0 - 1, 2 * 0 - 1)},
        {negative + encoded("-expand(spare1)") + show, encoded(-2 * 0 + 1, 1, 1)},
        {negative + encoded("half_bias(spare1)") + show, encoded(0 - 0.5f, -0.5f, -0.5f)},
        {negative + encoded("-half_bias(spare1)") + show, encoded(-0 + 0.5f, 0.5f, 0.5f)},
        {negative + encoded("spare1") + show, encoded(-0.6f, -0.2f, -0.8f)},
        {negative + encoded("-spare1") + show, encoded(0.6f, 0.2f, 0.8f)},
    });
}

TEST_F(EmulatedStages, ComponentUsageReplicatesAlphaAndFeedsBlueToTheAlphaPortion)
{
    expectScripts({
        {"{ rgb { spare0 = tex0.a; } }\n" + show, grey(0.4f)},
        {"{ alpha { spare0 = tex0.b; } }\nout.rgb = spare0.a;\nout.a = one;\n", grey(0.8f)},
        {"{ alpha { discard = expand(tex0) * half_bias(one); discard = one * half_bias(one); "
         "spare0 = sum(); } }\nout.rgb = spare0.a;\nout.a = one;\n",
         grey(enc(2 * 0.4f - 1))},
        {"out.rgb = zero;\nout.a = tex0.b;\n", {0, 0, 0, 0.8f}},
    });
}

TEST_F(EmulatedStages, DotProductsBroadcastAndClampToMinusOneToOne)
{
    // expand(tex0) = (0.2, -0.6, 0.6); tex0 . one = 0.6 + 0.2 + 0.8 = 1.6.
    const float dot = 0.2f * 0.2f + -0.6f * -0.6f + 0.6f * 0.6f;
    expectScripts({
        {"{ rgb { spare0 = expand(tex0) . expand(tex0); } }\n" + show, grey(dot)},
        {"{ rgb { discard = zero; spare0 = expand(tex0) . expand(tex0); } }\n" + show, grey(dot)},
        {"{ rgb { spare0 = tex0 . one; } }\n" + show, grey(1.0f)},
        // -1.6 is held as -1; then spare1 * 0.25 + 0.5.
        {"const0 = (0.25, 0.25, 0.25, 0.25);\n{ rgb { spare1 = -tex0 . one; } }\n"
         "{ rgb { discard = spare1 * const0; discard = one * half_bias(one); spare0 = sum(); } "
         "}\n" +
             show,
         grey(-1 * 0.25f + 0.5f)},
    });
}

TEST_F(EmulatedStages, MuxTestsSpare0AlphaAsTheStageReceivedIt)
{
    // spare0.a below 0.5 selects A*B = tex0, from 0.5 on C*D = col0. The same stage writes
    // spare0.a = 1, which the mux must not see.
    const auto mux = [](const std::string& alpha) {
        return "const0 = (0, 0, 0, " + alpha + ");\n{ alpha { spare0 = const0; } }\n" +
               "{ rgb { discard = tex0; discard = col0; spare0 = mux(); } alpha { spare0 = one; } "
               "}\n" +
               show;
    };
    expectScripts({
        {mux("0.25"), {0.6f, 0.2f, 0.8f, 1}},
        {mux("0.5"), {1, 0.5f, 0.25f, 1}},
        {mux("0.75"), {1, 0.5f, 0.25f, 1}},
        // In the alpha portion, with spare0.a = tex0.a = 0.4 as it starts: A*B = tex0.a.
        {"{ alpha { discard = tex0; discard = col0; spare0 = mux(); } }\nout.rgb = spare0.a;\n"
         "out.a = one;\n",
         grey(0.4f)},
    });
}

TEST_F(EmulatedStages, ScaleAndBiasApplyBiasFirstThenScaleThenClampAndSkipTheSumsInputs)
{
    // x = tex0 or -tex0 into spare1 with a scale/bias word, then shown as x * 0.5 + 0.5.
    const auto scaled = [](const std::string& x, const std::string& word) {
        return "{ rgb { spare1 = " + x + "; " + word + " } }\n" + encoded("spare1") + show;
    };
    expectScripts({
        {scaled("tex0", ""), encoded(0.6f, 0.2f, 0.8f)},
        {scaled("tex0", "scale_by_two();"), encoded(1, 2 * 0.2f, 1)},
        {scaled("tex0", "scale_by_four();"), encoded(1, 4 * 0.2f, 1)},
        {scaled("tex0", "scale_by_one_half();"), encoded(0.3f, 0.1f, 0.4f)},
        {scaled("tex0", "bias_by_negative_one_half();"),
         encoded(0.6f - 0.5f, 0.2f - 0.5f, 0.8f - 0.5f)},
        {scaled("tex0", "bias_by_negative_one_half_scale_by_two();"),
         encoded((0.6f - 0.5f) * 2, (0.2f - 0.5f) * 2, (0.8f - 0.5f) * 2)},
        {scaled("-tex0", "scale_by_two();"), encoded(-1, -2 * 0.2f, -1)},
        {scaled("-tex0", "scale_by_four();"), encoded(-1, -4 * 0.2f, -1)},
        {scaled("-tex0", "scale_by_one_half();"), encoded(-0.3f, -0.1f, -0.4f)},
        {scaled("-tex0", "bias_by_negative_one_half();"), encoded(-1, -0.2f - 0.5f, -1)},
        {scaled("-tex0", "bias_by_negative_one_half_scale_by_two();"), encoded(-1, -1, -1)},
        // Each portion has its own scale: RGB halved, alpha doubled (0.4 * 2).
        {"{ rgb { spare0 = tex0; scale_by_one_half(); } alpha { spare0 = tex0; scale_by_two(); } }"
         "\nout.rgb = spare0;\nout.a = spare0;\n",
         {0.3f, 0.1f, 0.4f, 0.8f}},
        // The sum takes tex0 and col0 as they were, not the halved ab output.
        {"{ rgb { spare1 = tex0; discard = col0; spare0 = sum(); scale_by_one_half(); } }\n"
         "out.rgb = spare0;\nout.a = spare1.b;\n",
         {(0.6f + 1) / 2, (0.2f + 0.5f) / 2, (0.8f + 0.25f) / 2, 0.8f / 2}},
    });
}

TEST_F(EmulatedStages, StagesReadTheirInputSetAndWriteForTheNextStage)
{
    const std::string swap = "{ rgb { col0 = tex0; tex0 = col0; } }\n";
    expectScripts({
        {swap + "out.rgb = col0;\nout.a = one;\n", {0.6f, 0.2f, 0.8f, 1}},
        {swap + "out.rgb = tex0;\nout.a = one;\n", {1, 0.5f, 0.25f, 1}},
        // The alpha portion reads the blue spare0 started with (0), not tex0's 0.8: lerp(0, 1,
        // col0) = col0.
        {"{ rgb { spare0 = tex0; } alpha { spare1 = spare0.b; } }\n"
         "out.rgb = lerp(spare1.a, one, col0);\nout.a = one;\n",
         {1, 0.5f, 0.25f, 1}},
    });
}

TEST_F(EmulatedStages, LocalConstantsReplaceTheGlobalOnesOnlyInTheirStage)
{
    const std::string global = "const0 = (0, 0.4, 0, 1);\n";
    const std::string sum = "out.rgb = const0 + spare0;\nout.a = one;\n"; // the final's global
    expectScripts({
        {global + "{ const0 = (0.6, 0, 0, 1); rgb { spare0 = const0; } }\n" + sum,
         {0.6f, 0.4f, 0, 1}},
        {global + "{ rgb { spare0 = const0; } }\n" + sum, {0, 0.4f + 0.4f, 0, 1}},
        // Constants are clamped to [0, 1] when set.
        {global + "{ const0 = (1.5, -0.5, 0.3, 1); rgb { spare0 = const0; } }\n" + sum,
         {1, 0.4f, 0.3f, 1}},
        // Stage 1 defines none and reads the global.
        {global + "{ const0 = (0.6, 0, 0, 1); rgb { spare0 = const0; } }\n"
                  "{ rgb { spare1 = const0; } }\nout.rgb = spare0 + spare1;\nout.a = one;\n",
         {0.6f, 0.4f, 0, 1}},
    });
}

TEST_F(EmulatedStages, EightStagesRunInOrder)
{
    std::string text;
    for (int i = 0; i < 8; ++i)
        text += "{ const0 = (0.1, 0.05, 0, 0); rgb { discard = spare0; discard = const0; "
                "spare0 = sum(); } }\n";
    expectScripts({{text + show, {8 * 0.1f, 8 * 0.05f, 0, 1}}});
}

} // namespace
