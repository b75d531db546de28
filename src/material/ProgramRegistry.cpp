#include "material/ProgramRegistry.h"

#include "material/ShaderProgram.h"

#include "shell/DemoConfig.h"
#include "shell/GlExtensions.h"
#include "shell/LoadError.h"
#include "shell/MapFile.h"

#include <GL/glext.h>

#include <iostream>
#include <limits>
#include <utility>

namespace {

// "!!ARBfp1.0" against "!!ARBvp1.0": the sixth character tells the kinds apart.
constexpr std::size_t kindIndex = 5;

// Reports a text the driver refused, with the position and message it gives, so the author
// sees why a pass looks wrong; the program is kept and bound all the same.
void reportRejectedProgram(const std::string& path, GLenum target)
{
    if (glGetError() != GL_INVALID_OPERATION)
        return;
    GLint position = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &position);
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
    std::cerr << path << ": the driver rejects this "
              << (target == GL_FRAGMENT_PROGRAM_ARB ? "fragment" : "vertex")
              << " program at character " << position << ": " << (text ? text : "") << "\n";
    // Drain whatever else the failed load left, so the next caller starts clean.
    while (glGetError() != GL_NO_ERROR) {
    }
}

ShaderProgram loadProgram(const std::string& name, const DemoPaths& paths)
{
    const std::string path = paths.rootDir + "/shd/" + name + ".txt";
    const FileMapping file = mapFile(path);
    if (file.size() <= kindIndex)
        throw LoadError("Program file too short to tell its kind: " + path);
    if (file.size() > static_cast<std::size_t>(std::numeric_limits<GLsizei>::max()))
        throw LoadError("Program file too large: " + path);
    if (!ext::glGenProgramsARB || !ext::glBindProgramARB || !ext::glProgramStringARB)
        throw LoadError("This driver has no ARB programs for " + path);

    const GLenum target =
        file.data()[kindIndex] == 'f' ? GL_FRAGMENT_PROGRAM_ARB : GL_VERTEX_PROGRAM_ARB;
    ShaderProgram program{newProgram(), target, name};
    // Errors from before are not this program's.
    while (glGetError() != GL_NO_ERROR) {
    }
    ext::glBindProgramARB(target, program.programName.get());
    ext::glProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(file.size()),
                            file.data());
    reportRejectedProgram(path, target);
    return program;
}

} // namespace

void bindProgram(const ShaderProgram& program)
{
    glEnable(program.target);
    ext::glBindProgramARB(program.target, program.programName.get());
}

ProgramRegistry::ProgramRegistry(const DemoPaths& demoPaths) : paths(demoPaths) {}

ProgramRegistry::~ProgramRegistry() = default;

const ShaderProgram& ProgramRegistry::getProgram(const std::string& name)
{
    for (const auto& program : programs)
        if (program->name == name)
            return *program;
    programs.push_back(std::make_unique<ShaderProgram>(loadProgram(name, paths)));
    return *programs.back();
}
