#include "CompileScript.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Args = std::vector<double>;

std::vector<std::string> namesOf(const std::vector<RecordedCombinerCall>& calls)
{
    std::vector<std::string> names;
    for (const RecordedCombinerCall& call : calls)
        names.push_back(call.name);
    return names;
}

std::vector<Args> argsOf(const std::vector<RecordedCombinerCall>& calls, const std::string& name)
{
    std::vector<Args> found;
    for (const RecordedCombinerCall& call : calls)
        if (call.name == name)
            found.push_back(call.args);
    return found;
}

// (register, mapping, usage) of one general-combiner variable.
Args generalInput(const CompiledScript& compiled, GLenum stage, GLenum portion, GLenum variable)
{
    for (const Args& args : argsOf(compiled.calls, "glCombinerInputNV"))
        if (args[0] == stage && args[1] == portion && args[2] == variable)
            return {args[3], args[4], args[5]};
    return {};
}

// (register, mapping, usage) of one final-combiner variable.
Args finalInput(const CompiledScript& compiled, GLenum variable)
{
    for (const Args& args : argsOf(compiled.calls, "glFinalCombinerInputNV"))
        if (args[0] == variable)
            return {args[1], args[2], args[3]};
    return {};
}

std::vector<std::string> repeated(const std::string& name, std::size_t count)
{
    return std::vector<std::string>(count, name);
}

void append(std::vector<std::string>& to, const std::vector<std::string>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

constexpr double zero = GL_ZERO;
constexpr double rgb = GL_RGB;
constexpr double alpha = GL_ALPHA;

} // namespace

TEST(CombinerEmission, FollowsTheFixedOrder)
{
    const CompiledScript compiled = compileScript("const0 = (1, 0, 0, 1);\n"
                                                  "{ const1 = (0, 1, 0, 1);\n"
                                                  "  rgb { spare0 = tex0 * const0; } }\n"
                                                  "{ alpha { spare1.a = tex1; } }\n"
                                                  "clamp_color_sum();\n"
                                                  "out.rgb = spare0;\n");
    ASSERT_TRUE(compiled.errors.empty());
    std::vector<std::string> expected = {"glCombinerParameterfvNV", "glCombinerParameteriNV",
                                         "glCombinerStageParameterfvNV",
                                         "glCombinerStageParameterfvNV"};
    const auto portion = [&] {
        append(expected, repeated("glCombinerInputNV", 4));
        expected.push_back("glCombinerOutputNV");
    };
    portion();
    portion();
    expected.push_back("glCombinerStageParameterfvNV");
    portion();
    portion();
    append(expected, {"glEnable", "glCombinerParameteriNV"});
    append(expected, repeated("glFinalCombinerInputNV", 7));
    EXPECT_EQ(namesOf(compiled.calls), expected);

    EXPECT_EQ(compiled.calls[0].args, (Args{GL_CONSTANT_COLOR0_NV, 1, 0, 0, 1}));
    EXPECT_EQ(compiled.calls[1].args, (Args{GL_NUM_GENERAL_COMBINERS_NV, 2}));
    // A stage's own constants come first, then the globals it does not define itself.
    EXPECT_EQ(argsOf(compiled.calls, "glCombinerStageParameterfvNV"),
              (std::vector<Args>{{GL_COMBINER0_NV, GL_CONSTANT_COLOR1_NV, 0, 1, 0, 1},
                                 {GL_COMBINER0_NV, GL_CONSTANT_COLOR0_NV, 1, 0, 0, 1},
                                 {GL_COMBINER1_NV, GL_CONSTANT_COLOR0_NV, 1, 0, 0, 1}}));
    // Portions go out in script order; the one a combiner leaves out comes second.
    const auto outputs = argsOf(compiled.calls, "glCombinerOutputNV");
    ASSERT_EQ(outputs.size(), 4u);
    EXPECT_EQ(outputs[0][1], rgb);
    EXPECT_EQ(outputs[1][1], alpha);
    EXPECT_EQ(outputs[2][1], alpha);
    EXPECT_EQ(outputs[2][2], GL_SPARE1_NV);
    EXPECT_EQ(outputs[3][1], rgb);
    EXPECT_EQ(argsOf(compiled.calls, "glCombinerParameteriNV")[1],
              (Args{GL_COLOR_SUM_CLAMP_NV, 1}));
}

TEST(CombinerEmission, PerStageConstantsOnlyWhereAvailable)
{
    const char* globalsOnly = "const1 = (0.5, 0.5, 0.5, 1); out.rgb = const1;";
    const CompiledScript withPerStage = compileScript(globalsOnly);
    EXPECT_EQ(argsOf(withPerStage.calls, "glDisable"),
              std::vector<Args>{{GL_PER_STAGE_CONSTANTS_NV}});
    EXPECT_EQ(argsOf(withPerStage.calls, "glCombinerStageParameterfvNV").size(), 1u);

    const CompiledScript without = compileScript(
        "{ const0 = (1, 1, 1, 1); rgb { spare0 = const0; } } out.rgb = spare0;", 8, false);
    const auto names = namesOf(without.calls);
    for (const char* absent : {"glCombinerStageParameterfvNV", "glEnable", "glDisable"})
        EXPECT_EQ(std::count(names.begin(), names.end(), absent), 0) << absent;
}

TEST(CombinerEmission, GeneralCombinerContents)
{
    // A lone input is multiplied by one, the inverted zero; missing operations write nothing.
    const CompiledScript lone = compileScript("{ rgb { spare0 = col0; } } out.rgb = spare0;");
    EXPECT_EQ(generalInput(lone, GL_COMBINER0_NV, GL_RGB, GL_VARIABLE_A_NV),
              (Args{GL_PRIMARY_COLOR_NV, GL_SIGNED_IDENTITY_NV, rgb}));
    EXPECT_EQ(generalInput(lone, GL_COMBINER0_NV, GL_RGB, GL_VARIABLE_B_NV),
              (Args{zero, GL_UNSIGNED_INVERT_NV, rgb}));
    EXPECT_EQ(argsOf(lone.calls, "glCombinerOutputNV")[0],
              (Args{GL_COMBINER0_NV, rgb, GL_SPARE0_NV, GL_DISCARD_NV, GL_DISCARD_NV, GL_NONE,
                    GL_NONE, 0, 0, 0}));

    const CompiledScript full =
        compileScript("{ rgb { spare0 = -expand(tex0) * half_bias(tex1.a);\n"
                      "        spare1 = unsigned_invert(col1) * -half_bias(tex2);\n"
                      "        tex3 = mux(); bias_by_negative_one_half_scale_by_two(); }\n"
                      "  alpha { spare0 = -tex0.b . unsigned(col0); spare1 = expand(fog.b);"
                      " scale_by_four(); } }\n"
                      "{ rgb { spare0 = tex0 . tex1; spare1 = -col0 . tex2; } }\n"
                      "out.rgb = spare0;");
    // The dot product in the alpha portion is reported but still emitted.
    EXPECT_EQ(full.errors, std::vector<std::string>{"dot used in alpha portion"});
    const GLenum stage0 = GL_COMBINER0_NV;
    EXPECT_EQ(generalInput(full, stage0, GL_RGB, GL_VARIABLE_A_NV),
              (Args{GL_TEXTURE0_ARB, GL_EXPAND_NEGATE_NV, rgb}));
    EXPECT_EQ(generalInput(full, stage0, GL_RGB, GL_VARIABLE_B_NV),
              (Args{GL_TEXTURE1_ARB, GL_HALF_BIAS_NORMAL_NV, alpha}));
    EXPECT_EQ(generalInput(full, stage0, GL_RGB, GL_VARIABLE_C_NV),
              (Args{GL_SECONDARY_COLOR_NV, GL_UNSIGNED_INVERT_NV, rgb}));
    EXPECT_EQ(generalInput(full, stage0, GL_RGB, GL_VARIABLE_D_NV),
              (Args{GL_TEXTURE2_ARB, GL_HALF_BIAS_NEGATE_NV, rgb}));
    EXPECT_EQ(generalInput(full, stage0, GL_ALPHA, GL_VARIABLE_A_NV),
              (Args{GL_TEXTURE0_ARB, GL_SIGNED_NEGATE_NV, GL_BLUE}));
    EXPECT_EQ(generalInput(full, stage0, GL_ALPHA, GL_VARIABLE_B_NV),
              (Args{GL_PRIMARY_COLOR_NV, GL_UNSIGNED_IDENTITY_NV, alpha}));
    EXPECT_EQ(generalInput(full, stage0, GL_ALPHA, GL_VARIABLE_C_NV),
              (Args{GL_FOG, GL_EXPAND_NORMAL_NV, GL_BLUE}));
    const auto outputs = argsOf(full.calls, "glCombinerOutputNV");
    ASSERT_EQ(outputs.size(), 4u);
    EXPECT_EQ(outputs[0], (Args{stage0, rgb, GL_SPARE0_NV, GL_SPARE1_NV, GL_TEXTURE3_ARB,
                                GL_SCALE_BY_TWO_NV, GL_BIAS_BY_NEGATIVE_ONE_HALF_NV, 0, 0, 1}));
    EXPECT_EQ(outputs[1], (Args{stage0, alpha, GL_SPARE0_NV, GL_SPARE1_NV, GL_DISCARD_NV,
                                GL_SCALE_BY_FOUR_NV, GL_NONE, 1, 0, 0}));
    EXPECT_EQ(outputs[2], (Args{GL_COMBINER1_NV, rgb, GL_SPARE0_NV, GL_SPARE1_NV, GL_DISCARD_NV,
                                GL_NONE, GL_NONE, 1, 1, 0}));
}

TEST(CombinerEmission, FinalCombinerForms)
{
    const Args zeroInput = {zero, GL_UNSIGNED_IDENTITY_NV, rgb};
    const Args one = {zero, GL_UNSIGNED_INVERT_NV, rgb};
    const Args t0 = {GL_TEXTURE0_ARB, GL_UNSIGNED_IDENTITY_NV, rgb};
    const Args t1 = {GL_TEXTURE1_ARB, GL_UNSIGNED_IDENTITY_NV, rgb};
    const Args t2inv = {GL_TEXTURE2_ARB, GL_UNSIGNED_INVERT_NV, rgb};
    const Args t3 = {GL_TEXTURE3_ARB, GL_UNSIGNED_IDENTITY_NV, rgb};
    const Args sum = {GL_SPARE0_PLUS_SECONDARY_COLOR_NV, GL_UNSIGNED_IDENTITY_NV, rgb};
    struct Form {
        const char* statement;
        Args a, b, c, d;
    };
    const Form forms[] = {
        {"out.rgb = lerp(tex0, tex1, unsigned_invert(tex2)) + tex3;", t0, t1, t2inv, t3},
        {"out.rgb = tex3 + lerp(tex0, tex1, unsigned_invert(tex2));", t0, t1, t2inv, t3},
        {"out.rgb = lerp(tex0, tex1, unsigned_invert(tex2));", t0, t1, t2inv, zeroInput},
        {"out.rgb = tex0 * tex1;", t0, t1, zeroInput, zeroInput},
        {"out.rgb = tex0 * tex1 + tex3;", t0, t1, zeroInput, t3},
        {"out.rgb = tex3;", zeroInput, zeroInput, zeroInput, t3},
        {"out.rgb = tex0 + tex3;", t0, one, zeroInput, t3},
        {"out.rgb = color_sum;", zeroInput, zeroInput, zeroInput, sum},
        // The colour sum may not be A: with C zero, A and B trade places.
        {"out.rgb = color_sum * tex0;", t0, sum, zeroInput, zeroInput},
        {"out.rgb = color_sum + tex3;", one, sum, zeroInput, t3},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.statement);
        const CompiledScript compiled = compileScript(form.statement);
        EXPECT_TRUE(compiled.errors.empty());
        EXPECT_EQ(finalInput(compiled, GL_VARIABLE_A_NV), form.a);
        EXPECT_EQ(finalInput(compiled, GL_VARIABLE_B_NV), form.b);
        EXPECT_EQ(finalInput(compiled, GL_VARIABLE_C_NV), form.c);
        EXPECT_EQ(finalInput(compiled, GL_VARIABLE_D_NV), form.d);
        // Without out.a, G is zero: the script's fragments get alpha 0.
        EXPECT_EQ(finalInput(compiled, GL_VARIABLE_G_NV),
                  (Args{zero, GL_UNSIGNED_IDENTITY_NV, alpha}));
    }

    const CompiledScript product =
        compileScript("final_product = tex0.a * col1; clamp_color_sum();\n"
                      "out.a = unsigned_invert(tex1.b); out.rgb = final_product;");
    EXPECT_EQ(finalInput(product, GL_VARIABLE_E_NV),
              (Args{GL_TEXTURE0_ARB, GL_UNSIGNED_IDENTITY_NV, alpha}));
    EXPECT_EQ(finalInput(product, GL_VARIABLE_F_NV),
              (Args{GL_SECONDARY_COLOR_NV, GL_UNSIGNED_IDENTITY_NV, rgb}));
    EXPECT_EQ(finalInput(product, GL_VARIABLE_G_NV),
              (Args{GL_TEXTURE1_ARB, GL_UNSIGNED_INVERT_NV, GL_BLUE}));
}

TEST(CombinerEmission, OneBecomesTheSameValueOfZero)
{
    struct Rewrite {
        const char* input;
        GLenum mapping; // of zero
    };
    const Rewrite general[] = {
        {"one", GL_UNSIGNED_INVERT_NV},
        {"unsigned(one)", GL_UNSIGNED_INVERT_NV},
        {"expand(one)", GL_UNSIGNED_INVERT_NV},
        {"-one", GL_EXPAND_NORMAL_NV},
        {"-expand(one)", GL_EXPAND_NORMAL_NV},
        {"unsigned_invert(one)", GL_SIGNED_IDENTITY_NV},
        {"half_bias(one)", GL_HALF_BIAS_NEGATE_NV},
        {"-half_bias(one)", GL_HALF_BIAS_NORMAL_NV},
    };
    for (const Rewrite& rewrite : general) {
        SCOPED_TRACE(rewrite.input);
        const CompiledScript compiled = compileScript(
            std::string("{ alpha { spare0 = ") + rewrite.input + " * tex0; } } out.rgb = spare0;");
        EXPECT_TRUE(compiled.errors.empty());
        EXPECT_EQ(generalInput(compiled, GL_COMBINER0_NV, GL_ALPHA, GL_VARIABLE_A_NV),
                  (Args{zero, static_cast<double>(rewrite.mapping), alpha}));
    }

    const CompiledScript final =
        compileScript("out.rgb = tex0 * unsigned_invert(one) + one.a; out.a = one;");
    EXPECT_EQ(finalInput(final, GL_VARIABLE_B_NV), (Args{zero, GL_UNSIGNED_IDENTITY_NV, rgb}));
    EXPECT_EQ(finalInput(final, GL_VARIABLE_D_NV), (Args{zero, GL_UNSIGNED_INVERT_NV, alpha}));
    EXPECT_EQ(finalInput(final, GL_VARIABLE_G_NV), (Args{zero, GL_UNSIGNED_INVERT_NV, alpha}));

    // No GL_ONE reaches any input.
    for (const auto& calls : {final.calls, compileScript("{ rgb { spare0 = one . -one; } }"
                                                         " out.rgb = spare0;")
                                               .calls})
        for (const RecordedCombinerCall& call : calls) {
            if (call.name == "glCombinerInputNV") {
                EXPECT_NE(call.args[3], GL_ONE);
            }
            if (call.name == "glFinalCombinerInputNV") {
                EXPECT_NE(call.args[1], GL_ONE);
            }
        }
}

TEST(CombinerEmission, StageCountIsLimited)
{
    struct Case {
        int combiners;
        GLint limit;
        double emittedCount;
    };
    const Case cases[] = {{0, 8, 1}, {3, 2, 2}, {8, 8, 8}, {8, 12, 8}, {9, 12, 8}, {2, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.combiners << " combiners, limit " << c.limit);
        std::string body;
        for (int i = 0; i < c.combiners; ++i)
            body += "{ rgb { spare0 = tex" + std::to_string(i % 4) + "; } }\n";
        const CompiledScript compiled = compileScript(body + "out.rgb = spare0;", c.limit);
        EXPECT_EQ(argsOf(compiled.calls, "glCombinerParameteriNV")[0],
                  (Args{GL_NUM_GENERAL_COMBINERS_NV, c.emittedCount}));
        // Every emitted stage gets both portions, and no stage beyond the count appears.
        const auto outputs = argsOf(compiled.calls, "glCombinerOutputNV");
        ASSERT_EQ(outputs.size(), static_cast<std::size_t>(2 * c.emittedCount));
        EXPECT_EQ(outputs.back()[0], GL_COMBINER0_NV + c.emittedCount - 1);
    }
}

TEST(CombinerEmission, NumbersReadAsAtofDoes)
{
    const CompiledScript compiled =
        compileScript("const0 = (1, 0.5, .5, 1.); const1 = (-0.25, +0.75, 007, -.125);\n"
                      "out.rgb = const0 * const1;");
    ASSERT_TRUE(compiled.errors.empty());
    EXPECT_EQ(argsOf(compiled.calls, "glCombinerParameterfvNV"),
              (std::vector<Args>{{GL_CONSTANT_COLOR0_NV, 1, 0.5, 0.5, 1},
                                 {GL_CONSTANT_COLOR1_NV, -0.25, 0.75, 7, -0.125}}));
}
