#include "MaterialFixture.h"

#include "material/ShaderProgram.h"
#include "shell/GlExtensions.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <optional>

namespace {

const std::string vertexText = "!!ARBvp1.0\nMOV result.position, vertex.position;\nEND\n";
const std::string fragmentText = "!!ARBfp1.0\nMOV result.color, fragment.color;\nEND\n";

using Programs = MaterialFixture;

TEST_F(Programs, MaterialsNamingOneProgramShareItAndTheFileIsReadOnce)
{
    dir.write("shd/Wave.txt", vertexText);
    read("BackgroundImage\nVert Wave .\nForegroundImage\nPix Wave Vert Wave .\n");
    ASSERT_EQ(assets.programs.programs.size(), 1u);
    const ShaderProgram& wave = *assets.programs.programs[0];
    EXPECT_EQ(scene.bgPasses[0].vertexProgram, &wave);
    EXPECT_EQ(scene.fgPasses[0].pixelProgram, &wave);
    EXPECT_EQ(scene.fgPasses[0].vertexProgram, &wave);
    // The file is not read again: a changed text does not change the program's kind.
    dir.write("shd/Wave.txt", fragmentText);
    EXPECT_EQ(&assets.programs.getProgram("Wave"), &wave);
    EXPECT_EQ(wave.target, static_cast<GLenum>(GL_VERTEX_PROGRAM_ARB));
    EXPECT_TRUE(ext::glIsProgramARB(wave.programName.get()));
    // Names are compared exactly.
    EXPECT_THROW(assets.programs.getProgram("wave"), LoadError);
}

TEST_F(Programs, TheTextNotTheKeywordChoosesTheTarget)
{
    dir.write("shd/Tint.txt", fragmentText);
    dir.write("shd/Move.txt", vertexText);
    read("BackgroundImage\nVert Tint Pix Move .\n");
    EXPECT_EQ(scene.bgPasses[0].vertexProgram->target,
              static_cast<GLenum>(GL_FRAGMENT_PROGRAM_ARB));
    EXPECT_EQ(scene.bgPasses[0].pixelProgram->target, static_cast<GLenum>(GL_VERTEX_PROGRAM_ARB));
}

TEST_F(Programs, MissingAndTooShortFilesAreLoadingErrorsNamingThem)
{
    const std::string missing = dir.file("shd/None.txt");
    EXPECT_EQ(readError("BackgroundImage\nVert None .\n"),
              "Cannot load file " + missing + " from directory");
    dir.write("shd/Short.txt", "!!ARB");
    const std::string error = readError("BackgroundImage\nPix Short .\n");
    EXPECT_NE(error.find(dir.file("shd/Short.txt")), std::string::npos) << error;
    EXPECT_TRUE(assets.programs.programs.empty());
}

TEST_F(Programs, ARejectedProgramIsKeptAndReportedOnceWithItsPosition)
{
    dir.write("shd/Broken.txt", "!!ARBfp1.0\nMOV result.color, nonsense;\nEND\n");
    testing::internal::CaptureStderr();
    read("BackgroundImage\nPix Broken .\nForegroundImage\nPix Broken .\n");
    const std::string report = testing::internal::GetCapturedStderr();
    ASSERT_EQ(assets.programs.programs.size(), 1u);
    EXPECT_EQ(scene.fgPasses[0].pixelProgram, assets.programs.programs[0].get());
    const std::string path = dir.file("shd/Broken.txt");
    EXPECT_NE(report.find(path), std::string::npos) << report;
    EXPECT_EQ(report.find(path), report.rfind(path)) << "reported twice: " << report;
    // The rejection's GL error is not left for the next caller.
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Programs, TeardownDeletesThePrograms)
{
    dir.write("shd/Move.txt", vertexText);
    GLuint name = 0;
    {
        ProgramRegistry local(assets.paths);
        name = local.getProgram("Move").programName.get();
        EXPECT_TRUE(ext::glIsProgramARB(name));
    }
    EXPECT_FALSE(ext::glIsProgramARB(name));
}

} // namespace
