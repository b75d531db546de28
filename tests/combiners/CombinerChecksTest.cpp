#include "CompileScript.h"

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<std::string>;

struct MessageCase {
    const char* body;
    Messages expected;
};

void expectMessages(const std::vector<MessageCase>& cases, GLint limit = 8, bool perStage = true)
{
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(c.body);
        const CompiledScript compiled = compileScript(c.body, limit, perStage);
        EXPECT_EQ(compiled.errors, c.expected);
        // The emission runs even when checks fail; only a syntax error suppresses it.
        EXPECT_FALSE(compiled.calls.empty());
    }
}

} // namespace

TEST(CombinerChecks, ConstantsAndPortions)
{
    expectMessages({
        {"const0 = (1,0,0,1); const0 = (0,1,0,1); out.rgb = const0;",
         {"global constant set twice"}},
        {"const0 = (1,0,0,1); const1 = (0,1,0,1); out.rgb = const0;", {}},
        {"{ const1 = (1,1,1,1); const1 = (0,0,0,0); rgb { spare0 = const1; } } out.rgb = spare0;",
         {"local constant set twice"}},
        {"{ rgb { spare0 = tex0; } rgb { spare1 = tex1; } } out.rgb = spare0;",
         {"portion declared twice"}},
        {"{ alpha { spare0 = tex0; } rgb { spare1 = tex1; } } out.rgb = spare0;", {}},
    });
}

TEST(CombinerChecks, LocalConstantsNeedPerStageConstants)
{
    const char* local = "{ const0 = (1,1,1,1); rgb { spare0 = const0; } } out.rgb = spare0;";
    expectMessages({{local, {"local constant(s) specified, but not supported -- ignored"}}}, 8,
                   false);
    expectMessages({{local, {}}}, 8, true);
    // Globals alone are fine either way.
    expectMessages({{"const0 = (1,1,1,1); out.rgb = const0;", {}}}, 8, false);
}

TEST(CombinerChecks, GeneralCombinerOperations)
{
    expectMessages({
        {"{ rgb { spare0 = tex0; spare0 = tex1; } } out.rgb = spare0;",
         {"writing to same register twice"}},
        {"{ rgb { spare0 = tex0; spare1 = tex1; spare1 = sum(); } } out.rgb = spare0;",
         {"writing to same register twice"}},
        {"{ rgb { spare0 = tex0; spare1 = tex1; spare0 = mux(); } } out.rgb = spare0;",
         {"writing to same register twice"}},
        {"{ rgb { discard = tex0; discard = tex1; discard = sum(); } } out.rgb = spare0;", {}},
        {"{ rgb { zero = tex0; } } out.rgb = spare0;", {"writing to a read-only register"}},
        {"{ rgb { one = tex0; } } out.rgb = spare0;", {"writing to a read-only register"}},
        {"{ rgb { const1 = tex0; } } out.rgb = spare0;", {"writing to a read-only register"}},
        {"{ alpha { spare0 = tex0 . tex1; } } out.rgb = spare0;", {"dot used in alpha portion"}},
        {"{ rgb { spare0 = tex0 . tex1; } } out.rgb = spare0;", {}},
        // The fog factor is the fog register's alpha: out of reach until the final combiner.
        {"{ alpha { spare0 = fog; } } out.rgb = spare0;",
         {"final register used in general combiner"}},
        {"{ rgb { spare0 = fog.a; } } out.rgb = spare0;",
         {"final register used in general combiner"}},
        {"{ alpha { spare0 = fog.b; } } out.rgb = spare0;", {}},
        {"{ rgb { spare0 = fog; } } out.rgb = spare0;", {}},
        {"{ rgb { spare0 = color_sum * tex0; } } out.rgb = spare0;",
         {"final register used in general combiner"}},
        {"{ alpha { spare0 = tex0.rgb; } } out.rgb = spare0;",
         {"rgb register used in alpha portion"}},
        {"{ rgb { spare0 = tex0.b; } } out.rgb = spare0;", {"blue register used in rgb portion"}},
        {"{ alpha { spare0 = tex0.b; } } out.rgb = spare0;", {}},
        {"{ rgb { spare0 = tex0.a; } } out.rgb = spare0;", {}},
        {"{ rgb { spare0 = discard; } } out.rgb = spare0;", {"reading from discard"}},
        // One operation can fail several checks; they come in their fixed order.
        {"{ alpha { spare0.rgb = fog . discard; } } out.rgb = spare0;",
         {"dot used in alpha portion", "final register used in general combiner",
          "rgb register used in alpha portion", "reading from discard"}},
        {"{ rgb { final_product = tex0; } } out.rgb = spare0;",
         {"writing to a read-only register", "final register used in general combiner"}},
    });
}

TEST(CombinerChecks, FinalCombiner)
{
    expectMessages({
        {"final_product = color_sum * tex0; out.rgb = final_product;",
         {"invalid input register for final_product"}},
        {"final_product = tex0 * discard; out.rgb = final_product;",
         {"invalid input register for final_product"}},
        {"final_product = tex0.b * tex1; out.rgb = final_product;",
         {"blue register used in final_product"}},
        {"final_product = tex0.a * tex1; out.rgb = final_product;", {}},
        {"out.a = discard;", {"invalid input register for final alpha"}},
        {"out.a = final_product;", {"invalid input register for final alpha"}},
        {"out.a = tex0.rgb;", {"rgb register used in final alpha"}},
        {"out.a = tex0.b;", {}},
        {"out.a = fog;", {}},
        {"out.rgb = lerp(color_sum, tex0, tex1);", {"invalid input register for final rgb"}},
        {"out.rgb = tex0 + discard;", {"invalid input register for final rgb"}},
        {"out.rgb = tex0.b;", {"blue register used in final rgb"}},
        {"out.rgb = final_product;", {"final_product used but not set"}},
        {"final_product = tex0 * tex1; out.rgb = final_product;", {}},
        // A·B + D does not care which of A and B is the colour sum, so these are accepted.
        {"out.rgb = color_sum;", {}},
        {"out.rgb = color_sum * tex0;", {}},
        {"out.rgb = color_sum + tex0;", {}},
        {"out.rgb = lerp(color_sum, tex0, zero);", {}},
        {"out.rgb = lerp(color_sum, tex0, unsigned_invert(zero));",
         {"invalid input register for final rgb"}},
        {"out.rgb = color_sum * color_sum;", {"invalid input register for final rgb"}},
    });
}

TEST(CombinerChecks, MessagesFollowTheCheckOrder)
{
    expectMessages({{"const1 = (0,0,0,0); const1 = (1,1,1,1);\n"
                     "{ const0 = (0,0,0,0); const0 = (1,1,1,1);"
                     "  rgb { spare0 = tex0; } rgb { zero = tex1; } }\n"
                     "{ alpha { spare0 = tex0 . tex1; } }\n"
                     "final_product = discard * tex0; out.a = tex1.rgb; out.rgb = tex0.b;",
                     {"global constant set twice", "local constant set twice",
                      "portion declared twice", "writing to a read-only register",
                      "dot used in alpha portion", "invalid input register for final_product",
                      "rgb register used in final alpha", "blue register used in final rgb"}}});
}

TEST(CombinerChecks, GeneralCombinerCountAgainstTheLimits)
{
    std::string three;
    for (int i = 0; i < 3; ++i)
        three += "{ rgb { spare0 = tex0; } }\n";
    expectMessages({{(three + "out.rgb = spare0;").c_str(),
                     {"3 general combiners specified, only 2 supported"}}},
                   2);
    expectMessages({{(three + "out.rgb = spare0;").c_str(), {}}}, 3);
    // A limit below one still leaves the one stage every script needs.
    expectMessages({{(three + "out.rgb = spare0;").c_str(),
                     {"3 general combiners specified, only 1 supported"}}},
                   0);

    std::string ten;
    for (int i = 0; i < 10; ++i)
        ten += "{ rgb { spare0 = tex0; } }\n";
    expectMessages({{(ten + "out.rgb = spare0;").c_str(),
                     {"Too many general combiners.", "Too many general combiners."}}},
                   16);
}

TEST(CombinerSyntax, ErrorsEndTheParseWithoutEmission)
{
    const char* broken[] = {
        "",
        "out.rgb = tex0",
        "out.rgb = tex0; out.rgb = tex1;",
        "out.rgb = tex0; ;",
        "out.rgb = expand(tex0);",
        "out.rgb = -tex0;",
        "out.rgb = tex0; clamp_color_sum();",
        "clamp_color_sum(); clamp_color_sum(); out.rgb = tex0;",
        "const0 = (1,0,0,1); const1 = (1,0,0,1); const0 = (1,1,1,1); out.rgb = tex0;",
        "const0 = (1,0,0); out.rgb = tex0;",
        "const0.rgb = (1,0,0,1); out.rgb = tex0;",
        "{ } out.rgb = tex0;",
        "{ const0 = (0,0,0,0); const1 = (0,0,0,0); const0 = (0,0,0,0); rgb { spare0 = tex0; } }"
        " out.rgb = tex0;",
        "{ rgb { spare0 = tex0; } alpha { spare0 = tex0; } rgb { spare0 = tex0; } }"
        " out.rgb = tex0;",
        "{ rgb { spare0 = mux(); } } out.rgb = spare0;",
        "{ rgb { spare0 = tex0 . tex1; spare1 = tex0; discard = sum(); } } out.rgb = spare0;",
        "{ rgb { spare0 = tex0; spare1 = tex1; discard = tex2; } } out.rgb = spare0;",
        "{ rgb { spare0 = -unsigned(tex0); } } out.rgb = spare0;",
        "{ rgb { spare0 = tex0; scale_by_two(); scale_by_two(); } } out.rgb = spare0;",
    };
    for (const char* body : broken) {
        SCOPED_TRACE(body);
        const CompiledScript compiled = compileScript(body);
        EXPECT_EQ(compiled.errors, Messages{"unrecognized token"});
        EXPECT_TRUE(compiled.calls.empty());
    }

    // Messages raised before the error stay in front of it.
    EXPECT_EQ(compileScript("bogus out.rgb = ").errors,
              (Messages{"error on line 2: unrecognized token", "unrecognized token"}));
}

TEST(CombinerScanner, LineNumbersCommentsAndEcho)
{
    const CompiledScript compiled = compileText("!!RC1.0\n"
                                                "/* two\n"
                                                "   lines */ bogus\n"
                                                "// bogus\n"
                                                "# bogus\n"
                                                "out.rgb = !!RC1.0 tex0; @ $\r\n"
                                                "\tnope\n");
    EXPECT_EQ(compiled.errors, (Messages{"error on line 3: unrecognized token",
                                         "error on line 7: unrecognized token"}));
    EXPECT_EQ(compiled.echo, "@$\r");

    // A suffix belongs to the word: "spare0.alpha" is spare0.a followed by the letters "lpha".
    EXPECT_EQ(compileScript("out.rgb = spare0.alpha;").errors,
              Messages{"error on line 2: unrecognized token"});
    // A run of letters longer than a keyword is not that keyword.
    EXPECT_EQ(compileScript("out.rgb = tex0; sumx").errors,
              Messages{"error on line 2: unrecognized token"});

    EXPECT_EQ(compileText("!!RC1.0\nout.rgb = tex0;\n/* open\n\n").errors,
              Messages{"error on line 5: end-of-file in comment"});
}

TEST(CombinerErrorList, KeepsTheFirst32Messages)
{
    std::string body;
    for (int i = 0; i < 40; ++i)
        body += "bogus\n";
    const CompiledScript compiled = compileScript(body + "out.rgb = tex0;");
    ASSERT_EQ(compiled.errors.size(), 32u);
    EXPECT_EQ(compiled.errors.front(), "error on line 2: unrecognized token");
    EXPECT_EQ(compiled.errors.back(), "error on line 33: unrecognized token");
}

TEST(CombinerErrorList, FailuresBeforeInitialisationAppend)
{
    compileScript("out.rgb = ");
    ASSERT_EQ(combinerErrors(), Messages{"unrecognized token"});

    RecordingCombinerSink sink;
    std::ostringstream echo;
    parseCombinerScript(nullptr, &sink, echo);
    parseCombinerScript("!!RC1", &sink, echo);
    parseCombinerScript("!!RC1.0\nout.rgb = tex0;", nullptr, echo);
    EXPECT_EQ(combinerErrors(),
              (Messages{"unrecognized token", "NULL string passed to parseCombinerScript",
                        "invalid string.\n                     first characters must be: !!RC1.0",
                        "unable to initialize GL_NV_register_combiners\n"}));
    EXPECT_TRUE(sink.calls().empty());

    for (int i = 0; i < 40; ++i)
        parseCombinerScript(nullptr, &sink, echo);
    EXPECT_EQ(combinerErrors().size(), 32u);

    // Getting past initialisation starts a fresh list.
    EXPECT_TRUE(compileScript("out.rgb = tex0;").errors.empty());
}
