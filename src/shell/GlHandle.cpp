#include "shell/GlHandle.h"

#include "shell/GlExtensions.h"

namespace {

void deleteTexture(GLuint name)
{
    glDeleteTextures(1, &name);
}

void deleteDisplayList(GLuint name)
{
    glDeleteLists(name, 1);
}

void deleteProgram(GLuint name)
{
    // Null, as every entry point, where the driver has no ARB programs.
    if (ext::glDeleteProgramsARB)
        ext::glDeleteProgramsARB(1, &name);
}

} // namespace

GlHandle newTexture()
{
    GLuint name = 0;
    glGenTextures(1, &name);
    return {name, deleteTexture};
}

GlHandle newDisplayList()
{
    return {glGenLists(1), deleteDisplayList};
}

GlHandle newProgram()
{
    GLuint name = 0;
    if (ext::glGenProgramsARB)
        ext::glGenProgramsARB(1, &name);
    return {name, deleteProgram};
}
