#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

CommandRun inspectCombiners(const TempDir& dir, const std::string& script,
                            const std::string& options)
{
    dir.write("script.txt", script);
    return runCommand(dir, std::string(DEMO_INSPECT) + " combiners '" + dir.file("script.txt") +
                               "'" + options);
}

} // namespace

TEST(InspectCombiners, PrintsMessagesEchoAndEveryCallWithNumericArguments)
{
    TempDir dir;
    const CommandRun run = inspectCombiners(dir,
                                            "!!RC1.0\nconst0 = (0.5, 0.25, 1, 1);\n"
                                            "{ rgb { spare0 = tex0; } }\n"
                                            "{ rgb { spare0 = tex1; } }\n"
                                            "out.rgb = spare0; ~",
                                            " --limit 1 --no-combiners2");
    EXPECT_EQ(run.status, 0);
    // 34128 is GL_COMBINER0_NV, 34083 to 34089 the variables A to G, 33984 GL_TEXTURE0_ARB,
    // 34094 spare0, 34096 discard, 34102 to 34108 the unsigned identity to the signed identity.
    EXPECT_EQ(
        run.out,
        "{\"errors\": [\"2 general combiners specified, only 1 supported\"], \"echo\": \"~\", "
        "\"calls\": [\n"
        "[\"glCombinerParameterfvNV\", 34090, 0.5, 0.25, 1, 1],\n"
        "[\"glCombinerParameteriNV\", 34126, 1],\n"
        "[\"glCombinerInputNV\", 34128, 6407, 34083, 33984, 34108, 6407],\n"
        "[\"glCombinerInputNV\", 34128, 6407, 34084, 0, 34103, 6407],\n"
        "[\"glCombinerInputNV\", 34128, 6407, 34085, 0, 34108, 6407],\n"
        "[\"glCombinerInputNV\", 34128, 6407, 34086, 0, 34108, 6407],\n"
        "[\"glCombinerOutputNV\", 34128, 6407, 34094, 34096, 34096, 0, 0, 0, 0, 0],\n"
        "[\"glCombinerInputNV\", 34128, 6406, 34083, 0, 34108, 6406],\n"
        "[\"glCombinerInputNV\", 34128, 6406, 34084, 0, 34108, 6406],\n"
        "[\"glCombinerInputNV\", 34128, 6406, 34085, 0, 34108, 6406],\n"
        "[\"glCombinerInputNV\", 34128, 6406, 34086, 0, 34108, 6406],\n"
        "[\"glCombinerOutputNV\", 34128, 6406, 34096, 34096, 34096, 0, 0, 0, 0, 0],\n"
        "[\"glCombinerParameteriNV\", 34127, 0],\n"
        "[\"glFinalCombinerInputNV\", 34083, 0, 34102, 6407],\n"
        "[\"glFinalCombinerInputNV\", 34084, 0, 34102, 6407],\n"
        "[\"glFinalCombinerInputNV\", 34085, 0, 34102, 6407],\n"
        "[\"glFinalCombinerInputNV\", 34086, 34094, 34102, 6407],\n"
        "[\"glFinalCombinerInputNV\", 34087, 0, 34102, 6407],\n"
        "[\"glFinalCombinerInputNV\", 34088, 0, 34102, 6407],\n"
        "[\"glFinalCombinerInputNV\", 34089, 0, 34102, 6406]]}\n");

    // Per-stage constants are on by default: the stage gets the global, then the switch.
    const CommandRun defaults =
        inspectCombiners(dir, "!!RC1.0 const0 = (1,1,1,1); out.rgb = const0;", "");
    EXPECT_NE(defaults.out.find("[\"glCombinerStageParameterfvNV\", 34128, 34090, 1, 1, 1, 1],\n"),
              std::string::npos);
    EXPECT_NE(defaults.out.find("[\"glDisable\", 34101],\n"), std::string::npos);
}

TEST(InspectCombiners, ScriptErrorsStillExitZeroUsageErrorsTwo)
{
    TempDir dir;
    const CommandRun invalid = inspectCombiners(dir, "RC1.0 out.rgb = tex0;", "");
    EXPECT_EQ(invalid.status, 0);
    EXPECT_EQ(nlohmann::ordered_json::parse(invalid.out),
              nlohmann::ordered_json::parse(
                  "{\"errors\": [\"invalid string.\\u000a                     first "
                  "characters must be: !!RC1.0\"], \"echo\": \"\", \"calls\": []}"))
        << invalid.out;

    const CommandRun syntax = inspectCombiners(dir, "!!RC1.0\nout.rgb = ", "");
    EXPECT_EQ(syntax.status, 0);
    EXPECT_EQ(syntax.out,
              "{\"errors\": [\"unrecognized token\"], \"echo\": \"\", \"calls\": []}\n");

    for (const char* options : {" --limit", " --limit 0", " --limit 2x", " --limit -3", " --fast"})
        EXPECT_EQ(inspectCombiners(dir, "!!RC1.0 out.rgb = tex0;", options).status, 2) << options;
    EXPECT_EQ(runCommand(dir, std::string(DEMO_INSPECT) + " combiners").status, 2);
    EXPECT_EQ(
        runCommand(dir, std::string(DEMO_INSPECT) + " combiners '" + dir.file("missing.txt") + "'")
            .status,
        1);
}
