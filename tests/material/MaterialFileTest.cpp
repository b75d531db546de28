#include "MaterialFixture.h"

#include "material/MaterialBlock.h"
#include "material/MaterialWords.h"

#include "combiners/CombinerCompiler.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <sstream>

namespace {

using MaterialFile = MaterialFixture;

TEST_F(MaterialFile, ObjectLinesTakeTheNthObjectByMeshBaseName)
{
    SceneObject& ship1 = addObject("Objects/Ship.lwo");
    addObject(""); // null objects never match
    SceneObject& rock = addObject("Objects/Rock.lwo");
    SceneObject& ship2 = addObject("Objects/Ship.lwo");
    SceneObject& plain = addObject("Ship.lwo");
    read("Ship 2\nCull Off .\n"
         "Ship 1 words after the count are ignored\nDepth Off\n.\n"
         "Ship 0\n"
         "ship 1\n"
         "Ship 3 Cull On\nBlend Off .\n"
         "Rock 1\nBlend Off .\n");
    ASSERT_EQ(ship2.passes.size(), 1u);
    EXPECT_FALSE(ship2.passes[0].cull->enabled);
    ASSERT_EQ(ship1.passes.size(), 1u);
    EXPECT_FALSE(ship1.passes[0].depth->enabled);
    // "Ship 3" is the fifth object (no folder in its name); its block starts on the next line.
    ASSERT_EQ(plain.passes.size(), 1u);
    EXPECT_FALSE(plain.passes[0].blend->enabled);
    EXPECT_FALSE(plain.passes[0].cull.has_value());
    ASSERT_EQ(rock.passes.size(), 1u);
    EXPECT_FALSE(rock.passes[0].blend->enabled);
}

TEST_F(MaterialFile, UnmatchedObjectBlocksAreReadAsLinesOfTheFile)
{
    SceneObject& rock = addObject("Objects/Rock.lwo");
    SceneObject& ship = addObject("Objects/Ship.lwo");
    // Zero, a count past the matches, an unreadable count and no count: each block's lines are
    // taken as further lines, so "Rock 1" and "Ship 1" inside them start blocks of their own.
    read("Ship 0\nRock 1\nCull Off .\n"
         "Ship 2\nRock 1\nBlend Off .\n"
         "Ship many\nShip 1\nDepth Off .\n"
         "Rock\nBlend Off\n.\n");
    ASSERT_EQ(rock.passes.size(), 2u);
    EXPECT_TRUE(rock.passes[0].cull.has_value());
    EXPECT_TRUE(rock.passes[1].blend.has_value());
    ASSERT_EQ(ship.passes.size(), 1u);
    EXPECT_TRUE(ship.passes[0].depth.has_value());
}

TEST_F(MaterialFile, ScreenImageBlocksAndPassesKeepFileOrder)
{
    SceneObject& ship = addObject("Objects/Ship.lwo");
    read("# passes\nBackgroundImage\nBlend Off .\nForegroundImage\nCull Off .\n"
         "BackgroundImage\nDepth Off .\nShip 1\nCull On .\nShip 1\nBlend Off .\n");
    ASSERT_EQ(scene.bgPasses.size(), 2u);
    EXPECT_TRUE(scene.bgPasses[0].blend.has_value());
    EXPECT_TRUE(scene.bgPasses[1].depth.has_value());
    ASSERT_EQ(scene.fgPasses.size(), 1u);
    EXPECT_TRUE(scene.fgPasses[0].cull.has_value());
    ASSERT_EQ(ship.passes.size(), 2u);
    EXPECT_TRUE(ship.passes[0].cull.has_value());
    EXPECT_TRUE(ship.passes[1].blend.has_value());
}

TEST_F(MaterialFile, CommentsBlankLinesAndAMissingFileGiveNoPasses)
{
    SceneObject& ship = addObject("Objects/Ship.lwo");
    readMaterialFile(scene, assets.paths, assets.textures, assets.programs); // no file at all
    read("# Ship 1\n\n   \n#BackgroundImage\n  # ForegroundImage\n");
    read("");
    EXPECT_TRUE(scene.bgPasses.empty());
    EXPECT_TRUE(scene.fgPasses.empty());
    EXPECT_TRUE(ship.passes.empty());
}

TEST_F(MaterialFile, BlendSpecifications)
{
    struct Case {
        const char* body;
        GLenum equation, src, dst;
        std::array<float, 4> colour;
    };
    const Case cases[] = {
        {"Blend Src SrcAlpha Dst 1-SrcAlpha",
         GL_FUNC_ADD_EXT,
         GL_SRC_ALPHA,
         GL_ONE_MINUS_SRC_ALPHA,
         {0, 0, 0, 0}},
        {"Blend Src ConstAlpha Dst 1-ConstAlpha ConstAlpha 0.5",
         GL_FUNC_ADD_EXT,
         GL_CONSTANT_ALPHA_EXT,
         GL_ONE_MINUS_CONSTANT_ALPHA_EXT,
         {0, 0, 0, 0.5f}},
        {"Blend Func RevSub Src 1 Dst ConstColor ConstColor 0.1 0.2 0.3 0.4",
         GL_FUNC_REVERSE_SUBTRACT_EXT,
         GL_ONE,
         GL_CONSTANT_COLOR_EXT,
         {0.1f, 0.2f, 0.3f, 0.4f}},
        // A constant colour factor wants the four numbers even beside a constant alpha one.
        {"Blend Src ConstAlpha Dst 1-ConstColor ConstColor 1 0 1 0",
         GL_FUNC_ADD_EXT,
         GL_CONSTANT_ALPHA_EXT,
         GL_ONE_MINUS_CONSTANT_COLOR_EXT,
         {1, 0, 1, 0}},
        {"Blend Func Sub Src SrcAlphaSat Dst DstColor",
         GL_FUNC_SUBTRACT_EXT,
         GL_SRC_ALPHA_SATURATE,
         GL_DST_COLOR,
         {0, 0, 0, 0}},
        // Minimum and maximum read no factors: "Cull" is the block's next keyword.
        {"Blend Func Max Cull Off", GL_MAX_EXT, GL_ONE, GL_ZERO, {0, 0, 0, 0}},
        {"Blend Func Min", GL_MIN_EXT, GL_ONE, GL_ZERO, {0, 0, 0, 0}},
        // A number that does not convert leaves its component as it was.
        {"Blend Src ConstAlpha Dst 0 ConstAlpha half",
         GL_FUNC_ADD_EXT,
         GL_CONSTANT_ALPHA_EXT,
         GL_ZERO,
         {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const Material& material = block(c.body);
        ASSERT_TRUE(material.blend.has_value());
        EXPECT_TRUE(material.blend->enabled);
        EXPECT_EQ(material.blend->equation, c.equation);
        EXPECT_EQ(material.blend->srcFactor, c.src);
        EXPECT_EQ(material.blend->dstFactor, c.dst);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(material.blend->constColour[i], c.colour[i]) << i;
    }
    EXPECT_FALSE(block("Blend Off").blend->enabled);
}

TEST_F(MaterialFile, DepthAndCullSpecifications)
{
    const DepthState lessOrEqual = *block("Depth Func IfLessOrEqual").depth;
    EXPECT_TRUE(lessOrEqual.enabled);
    EXPECT_EQ(lessOrEqual.writeMask, GL_TRUE);
    EXPECT_EQ(lessOrEqual.func, static_cast<GLenum>(GL_LEQUAL));
    const DepthState always = *block("Depth Write Off Func Always").depth;
    EXPECT_EQ(always.writeMask, GL_FALSE);
    EXPECT_EQ(always.func, static_cast<GLenum>(GL_ALWAYS));
    EXPECT_EQ(block("Depth Write On Func IfNotEqual").depth->writeMask, GL_TRUE);
    EXPECT_FALSE(block("Depth Off").depth->enabled);

    for (const char* word : {"On", "Back", "Front"}) {
        const CullState cull = *block(std::string("Cull ") + word).cull;
        EXPECT_TRUE(cull.enabled) << word;
        EXPECT_EQ(cull.frontFace, static_cast<GLenum>(GL_CCW)) << word;
    }
    EXPECT_FALSE(block("Cull Off").cull->enabled);
}

TEST_F(MaterialFile, EachWordTableRefusesAWrongWordWithItsMessage)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Blend Func Add SrcAlpha Dst 0", "Not Src"},
        {"Blend SrcAlpha Dst 0", "Not Src"},
        {"Blend Src 1 Dest 0", "Not Dst"},
        {"Blend Src ConstColor Dst 0 ConstAlpha 1", "Not ConstColor"},
        {"Blend Src 1 Dst 1-ConstAlpha ConstColor 1 1 1 1", "Not ConstAlpha"},
        {"Depth Write Off Always", "not depth func"},
        {"Depth IfLess", "not depth func"},
        {"Set PriMin LinMipLn .", "Unknown Minification Filter setting"},
        {"Set PriMag LinMipLin .", "Unknown Magnification Filter setting"},
        {"Set SecMag NearMipNear .", "Unknown Magnification Filter setting"},
        {"Set SecWrapU Wrap .", "Unknown Wrapping setting"},
        {"Set PriWrapV clamp .", "Unknown Wrapping setting"},
    };
    for (const auto& [body, message] : cases)
        EXPECT_EQ(readError("BackgroundImage\n" + std::string(body) + "\n.\n"), message) << body;
}

TEST_F(MaterialFile, UnknownEquationFactorAndFunctionWordsLoadWithDefaultsAndAWarning)
{
    testing::internal::CaptureStderr();
    const BlendState blend = *block("Blend Func Plus Src Foo Dst SrcAlphaSat").blend;
    const DepthState depth = *block("Depth Func IfSmaller").depth;
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(blend.equation, static_cast<GLenum>(GL_FUNC_ADD_EXT));
    EXPECT_EQ(blend.srcFactor, static_cast<GLenum>(GL_ONE));
    // Saturation is a source factor only.
    EXPECT_EQ(blend.dstFactor, static_cast<GLenum>(GL_ZERO));
    EXPECT_EQ(depth.func, static_cast<GLenum>(GL_LESS));
    for (const char* word : {"\"Plus\"", "\"Foo\"", "\"SrcAlphaSat\"", "\"IfSmaller\""})
        EXPECT_NE(warnings.find(word), std::string::npos) << word << " in " << warnings;
    EXPECT_NE(warnings.find(materialPath()), std::string::npos);
}

TEST_F(MaterialFile, UnknownWordsAreSkippedAndRepeatedKeywordsReplace)
{
    const Material& material =
        block("Foo Blend Off Bar 12 Blend Src 1 Dst 1\nCull Off\n\n  Cull Back Depth Off");
    EXPECT_TRUE(material.blend->enabled);
    EXPECT_EQ(material.blend->dstFactor, static_cast<GLenum>(GL_ONE));
    EXPECT_TRUE(material.cull->enabled);
    EXPECT_FALSE(material.depth->enabled);
    EXPECT_FALSE(material.stages.has_value());
    EXPECT_EQ(material.vertexProgram, nullptr);
    EXPECT_FALSE(material.combiners.has_value());
}

TEST_F(MaterialFile, TextureStagesDefaultsAndWords)
{
    GLfloat maxAnisotropy = 2.0f;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
    const TextureStages defaults = *block("Set .").stages;
    EXPECT_TRUE(defaults.enabled);
    EXPECT_EQ(defaults.primary.texture, nullptr);
    EXPECT_EQ(defaults.primary.minFilter, static_cast<GLenum>(GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_EQ(defaults.secondary.magFilter, static_cast<GLenum>(GL_LINEAR));
    EXPECT_EQ(defaults.secondary.wrapV, static_cast<GLenum>(GL_REPEAT));
    EXPECT_FLOAT_EQ(defaults.primary.anisotropy, maxAnisotropy);
    EXPECT_FLOAT_EQ(defaults.secondary.bias, 0.0f);

    const TextureStages set = *block("Set SecMin 4 PriMag LinSharp Unknown PriWrapU Mirror "
                                     "SecWrapV ClampEdge PriAtp 4 SecBias -1.5 PriMin Near .")
                                   .stages;
    EXPECT_EQ(set.secondary.minFilter, 0x8146u);
    EXPECT_EQ(set.primary.magFilter, 0x80ADu);
    EXPECT_EQ(set.primary.wrapU, 0x8370u);
    EXPECT_EQ(set.secondary.wrapV, static_cast<GLenum>(GL_CLAMP_TO_EDGE));
    EXPECT_FLOAT_EQ(set.primary.anisotropy, 4.0f);
    EXPECT_FLOAT_EQ(set.secondary.bias, -1.5f);
    EXPECT_EQ(set.primary.minFilter, static_cast<GLenum>(GL_NEAREST));
    EXPECT_TRUE(set.mayBeRefused);
    EXPECT_FALSE(defaults.mayBeRefused);
}

TEST_F(MaterialFile, SetOffNeedsNoFullStopOfItsOwn)
{
    SceneObject& ship = addObject("Objects/Ship.lwo");
    read("BackgroundImage\nSet Off .\nShip 1\nSet Off Cull Off .\n");
    ASSERT_EQ(scene.bgPasses.size(), 1u);
    EXPECT_FALSE(scene.bgPasses[0].stages->enabled);
    ASSERT_EQ(ship.passes.size(), 1u);
    EXPECT_FALSE(ship.passes[0].stages->enabled);
    EXPECT_FALSE(ship.passes[0].cull->enabled);
}

TEST_F(MaterialFile, StagesTakeTexturesThroughTheCache)
{
    // 2 x 2 grey TGA, written once under two names.
    std::string tga(18, '\0');
    tga[2] = 2;
    tga[12] = 2;
    tga[14] = 2;
    tga[16] = 24;
    tga += std::string(12, '\x80');
    dir.write("tex/Grey.tga", tga);
    dir.write("tex/Other.tga", tga);
    const TextureStages stages = *block("Set PriName Grey SecFN Other.tga .").stages;
    ASSERT_NE(stages.primary.texture, nullptr);
    ASSERT_NE(stages.secondary.texture, nullptr);
    EXPECT_EQ(stages.primary.texture->name, dir.file("tex/Grey.tga"));
    EXPECT_EQ(stages.secondary.texture->name, dir.file("tex/Other.tga"));
    // The same name is the same shared texture.
    EXPECT_EQ(block("Set SecName Grey .").stages->secondary.texture, stages.primary.texture);
    EXPECT_EQ(assets.textures.count(), 2u);
}

TEST_F(MaterialFile, EndOfFileInsideABlockNamesTheMaterialFile)
{
    for (const char* text : {"BackgroundImage\nBlend Off\n", "BackgroundImage\nSet PriMin Near\n",
                             "BackgroundImage\nSet PriMin Near .\n", "ForegroundImage\nBlend Src",
                             "BackgroundImage\nFrag const0 = (1, 0, 0, 1); .\n",
                             "BackgroundImage\nFrag Ending .\n", "ForegroundImage"}) {
        const std::string error = readError(text);
        EXPECT_NE(error.find(materialPath()), std::string::npos) << text << ": " << error;
    }
}

TEST_F(MaterialFile, NamesOverTheWordLimitAreRefused)
{
    const std::string longName(250, 'n');
    EXPECT_EQ(readError("BackgroundImage\nVert " + longName + " .\n"),
              "Word longer than 249 characters in " + materialPath());
    // A long unknown word is skipped like a short one.
    EXPECT_EQ(readError("BackgroundImage\n" + longName + " Cull Off .\n"), "");
}

TEST_F(MaterialFile, CombinerBlocksCompileIntoListsAndTheirFirstErrorEndsLoading)
{
    const Material& material = block("Frag\n  const0 = (1, 0, 0, 1);\n  out.rgb = const0;\nEnd");
    ASSERT_TRUE(material.combiners.has_value());
    EXPECT_TRUE(glIsList(material.combiners->list.get()));
    // A second block replaces the first, whose list goes with it.
    const GLuint first = material.combiners->list.get();
    EXPECT_NE(block("Frag out.rgb = tex0; End Frag out.rgb = col0; End").combiners->list.get(), 0u);
    EXPECT_FALSE(glIsList(first));

    const std::string error =
        readError("BackgroundImage\nFrag\nout.rgb = const0 + ;\nout.rgb = col0;\nEnd\n.\n");
    ASSERT_FALSE(combinerErrors().empty());
    EXPECT_EQ(error, combinerErrors().front());
    // The list was closed before the error left: GL runs calls again instead of recording them.
    GLint open = -1;
    glGetIntegerv(GL_LIST_INDEX, &open);
    EXPECT_EQ(open, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Programs, textures and combiners are made after their block is read, yet a block still
// reports the first of its faults in file order, after the warnings of the words before it.
TEST_F(MaterialFile, MessagesKeepFileOrderThoughBlocksLoadAfterReading)
{
    // Two names: the registry loads a program, and reports its rejection, once.
    for (const char* name : {"shd/RejectedA.txt", "shd/RejectedB.txt"})
        dir.write(name, "!!ARBfp1.0\nnot an instruction;\nEND\n");
    const std::string missingProgram =
        "Cannot load file " + dir.file("shd/None.txt") + " from directory";
    const std::string missingTexture =
        "Cannot load file " + dir.file("tex/None.tga") + " from directory";
    const std::string good = "BackgroundImage\nCull Off\n.\n";
    const std::string combinerMessage = "(the combiner compiler's first message)";
    struct Case {
        std::string text;
        std::string error;
        std::vector<std::string> stderrInOrder;
    };
    const Case cases[] = {
        {"BackgroundImage\nSet PriName None PriMin Bogus .\n.\n", missingTexture, {}},
        {"BackgroundImage\nSet SecFN None.tga .\nDepth IfLess\n.\n", missingTexture, {}},
        {"BackgroundImage\nVert None Depth IfLess\n.\n", missingProgram, {}},
        {"BackgroundImage\nFrag out.rgb = const0 + ; End Blend Src 1 Dest 0\n.\n",
         combinerMessage,
         {}},
        {good + good + "BackgroundImage\nDepth Func IfSmaller Pix None Set PriMin Bogus .\n.\n",
         missingProgram,
         {"\"IfSmaller\""}},
        {"BackgroundImage\nPix RejectedA Depth Func IfSmaller\n.\n",
         "",
         {"RejectedA.txt: the driver rejects", "\"IfSmaller\""}},
        {"BackgroundImage\nDepth Func IfSmaller Pix RejectedB\n.\n",
         "",
         {"\"IfSmaller\"", "RejectedB.txt: the driver rejects"}},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        const std::string error = readError(c.text);
        const std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_EQ(error, c.error == combinerMessage ? combinerErrors().front() : c.error) << c.text;
        std::size_t after = 0;
        for (const std::string& message : c.stderrInOrder) {
            const std::size_t at = messages.find(message, after);
            EXPECT_NE(at, std::string::npos) << message << " in order in " << messages;
            after = at == std::string::npos ? after : at;
        }
    }
}

// Reading a block touches neither GL nor any file but the material file: what it names outside
// itself is kept as steps for the upload that follows.
TEST(MaterialBlockReading, NamesAndWarningsBecomeStepsInFileOrder)
{
    std::istringstream stream("Vert NoSuchProgram Set PriName Absent SecFN Absent.tga PriAtp x "
                              "SecAtp 3 . Blend Func Plus Src 1 Dst 0 Frag out.rgb = col0; End "
                              "Pix Other Vert Last .");
    const std::string path = "m.txt"; // the words keep a reference to it
    MaterialWords words(stream, path);
    const MaterialBlock block = readMaterialBlock(words);
    using Kind = MaterialStep::Kind;
    const std::pair<Kind, std::string> expected[] = {
        {Kind::program, "NoSuchProgram"},
        {Kind::textureByName, "Absent"},
        {Kind::textureByFileName, "Absent.tga"},
        {Kind::warning, "unknown blend equation"},
        {Kind::combiners, " out.rgb = col0;"},
        {Kind::program, "Other"},
        {Kind::program, "Last"},
    };
    ASSERT_EQ(block.steps.size(), std::size(expected));
    for (std::size_t i = 0; i < block.steps.size(); ++i) {
        EXPECT_EQ(block.steps[i].kind, expected[i].first) << i;
        EXPECT_NE(block.steps[i].text.find(expected[i].second), std::string::npos)
            << i << ": " << block.steps[i].text;
    }
    EXPECT_EQ(block.vertexProgram, 6u); // the later "Vert" replaces the first
    EXPECT_EQ(block.pixelProgram, 5u);
    EXPECT_EQ(block.combiners, 4u);
    ASSERT_TRUE(block.stages.has_value());
    EXPECT_EQ(block.stages->textures[0], 1u);
    EXPECT_EQ(block.stages->textures[1], 2u);
    // A number that does not convert leaves the driver's maximum to the upload.
    EXPECT_FALSE(block.stages->anisotropyGiven[0]);
    EXPECT_TRUE(block.stages->anisotropyGiven[1]);
    EXPECT_TRUE(words.takeSteps().empty());
}

// The block text goes to the combiner compiler with its layout; "End" must stand alone.
TEST(CombinerText, RunsFromAfterFragToTheLastWordBeforeAStandaloneEnd)
{
    const std::string path = "m.txt";
    const std::pair<const char*, const char*> cases[] = {
        {" rgb {\n  spare0 = tex0;\n}\n  End .", " rgb {\n  spare0 = tex0;\n}"},
        {"\nEnding EndX\tEnd", "\nEnding EndX"},
        {"End", ""},
        {"   End\n", ""},
    };
    for (const auto& [text, expected] : cases) {
        std::istringstream stream(text);
        MaterialWords words(stream, path);
        EXPECT_EQ(readCombinerText(words), expected) << text;
    }
    // The words go on after "End".
    std::istringstream stream("a End b");
    MaterialWords words(stream, path);
    readCombinerText(words);
    EXPECT_EQ(words.next(), "b");
}

} // namespace
