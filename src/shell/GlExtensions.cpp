#include "shell/GlExtensions.h"

#include <cstdio>

namespace ext {
PFNGLSECONDARYCOLOR3FEXTPROC glSecondaryColor3fEXT = nullptr;
PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB = nullptr;
PFNGLACTIVETEXTUREARBPROC glActiveTextureARB = nullptr;
PFNGLBLENDEQUATIONEXTPROC glBlendEquationEXT = nullptr;
PFNGLBLENDCOLOREXTPROC glBlendColorEXT = nullptr;
PFNGLVERTEXWEIGHTFEXTPROC glVertexWeightfEXT = nullptr;
PFNGLPOINTPARAMETERIVNVPROC glPointParameterivNV = nullptr;
PFNGLPOINTPARAMETERINVPROC glPointParameteriNV = nullptr;
PFNGLPOINTPARAMETERFVEXTPROC glPointParameterfvEXT = nullptr;
PFNGLPOINTPARAMETERFEXTPROC glPointParameterfEXT = nullptr;
PFNGLDELETEPROGRAMSARBPROC glDeleteProgramsARB = nullptr;
PFNGLBINDPROGRAMARBPROC glBindProgramARB = nullptr;
PFNGLGENPROGRAMSARBPROC glGenProgramsARB = nullptr;
PFNGLPROGRAMSTRINGARBPROC glProgramStringARB = nullptr;
PFNGLPROGRAMLOCALPARAMETER4FVARBPROC glProgramLocalParameter4fvARB = nullptr;

PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB = nullptr;
PFNGLMULTITEXCOORD2FVARBPROC glMultiTexCoord2fvARB = nullptr;
PFNGLMULTITEXCOORD3FARBPROC glMultiTexCoord3fARB = nullptr;
PFNGLMULTITEXCOORD3FVARBPROC glMultiTexCoord3fvARB = nullptr;
PFNGLMULTITEXCOORD4FARBPROC glMultiTexCoord4fARB = nullptr;
PFNGLMULTITEXCOORD4FVARBPROC glMultiTexCoord4fvARB = nullptr;
PFNGLSECONDARYCOLOR3FVEXTPROC glSecondaryColor3fvEXT = nullptr;
PFNGLSECONDARYCOLORPOINTEREXTPROC glSecondaryColorPointerEXT = nullptr;
PFNGLVERTEXWEIGHTFVEXTPROC glVertexWeightfvEXT = nullptr;
PFNGLVERTEXWEIGHTPOINTEREXTPROC glVertexWeightPointerEXT = nullptr;
PFNGLPOINTPARAMETERFARBPROC glPointParameterfARB = nullptr;
PFNGLPOINTPARAMETERFVARBPROC glPointParameterfvARB = nullptr;
PFNGLGETPROGRAMIVARBPROC glGetProgramivARB = nullptr;
PFNGLISPROGRAMARBPROC glIsProgramARB = nullptr;
PFNGLPROGRAMLOCALPARAMETER4FARBPROC glProgramLocalParameter4fARB = nullptr;
PFNGLPROGRAMENVPARAMETER4FARBPROC glProgramEnvParameter4fARB = nullptr;
PFNGLPROGRAMENVPARAMETER4FVARBPROC glProgramEnvParameter4fvARB = nullptr;
PFNGLFOGCOORDFEXTPROC glFogCoordfEXT = nullptr;
PFNGLGETSTRINGIPROC glGetStringi = nullptr;
PFNGLFENCESYNCPROC glFenceSync = nullptr;
PFNGLCLIENTWAITSYNCPROC glClientWaitSync = nullptr;
PFNGLDELETESYNCPROC glDeleteSync = nullptr;

PFNGLCOMBINERPARAMETERFVNVPROC glCombinerParameterfvNV = nullptr;
PFNGLCOMBINERPARAMETERFNVPROC glCombinerParameterfNV = nullptr;
PFNGLCOMBINERPARAMETERIVNVPROC glCombinerParameterivNV = nullptr;
PFNGLCOMBINERPARAMETERINVPROC glCombinerParameteriNV = nullptr;
PFNGLCOMBINERINPUTNVPROC glCombinerInputNV = nullptr;
PFNGLCOMBINEROUTPUTNVPROC glCombinerOutputNV = nullptr;
PFNGLFINALCOMBINERINPUTNVPROC glFinalCombinerInputNV = nullptr;
PFNGLGETCOMBINERINPUTPARAMETERFVNVPROC glGetCombinerInputParameterfvNV = nullptr;
PFNGLGETCOMBINERINPUTPARAMETERIVNVPROC glGetCombinerInputParameterivNV = nullptr;
PFNGLGETCOMBINEROUTPUTPARAMETERFVNVPROC glGetCombinerOutputParameterfvNV = nullptr;
PFNGLGETCOMBINEROUTPUTPARAMETERIVNVPROC glGetCombinerOutputParameterivNV = nullptr;
PFNGLGETFINALCOMBINERINPUTPARAMETERFVNVPROC glGetFinalCombinerInputParameterfvNV = nullptr;
PFNGLGETFINALCOMBINERINPUTPARAMETERIVNVPROC glGetFinalCombinerInputParameterivNV = nullptr;
PFNGLCOMBINERSTAGEPARAMETERFVNVPROC glCombinerStageParameterfvNV = nullptr;
PFNGLGETCOMBINERSTAGEPARAMETERFVNVPROC glGetCombinerStageParameterfvNV = nullptr;

void clearAll()
{
    glSecondaryColor3fEXT = nullptr;
    glMultiTexCoord2fARB = nullptr;
    glActiveTextureARB = nullptr;
    glBlendEquationEXT = nullptr;
    glBlendColorEXT = nullptr;
    glVertexWeightfEXT = nullptr;
    glPointParameterivNV = nullptr;
    glPointParameteriNV = nullptr;
    glPointParameterfvEXT = nullptr;
    glPointParameterfEXT = nullptr;
    glDeleteProgramsARB = nullptr;
    glBindProgramARB = nullptr;
    glGenProgramsARB = nullptr;
    glProgramStringARB = nullptr;
    glProgramLocalParameter4fvARB = nullptr;
    glClientActiveTextureARB = nullptr;
    glMultiTexCoord2fvARB = nullptr;
    glMultiTexCoord3fARB = nullptr;
    glMultiTexCoord3fvARB = nullptr;
    glMultiTexCoord4fARB = nullptr;
    glMultiTexCoord4fvARB = nullptr;
    glSecondaryColor3fvEXT = nullptr;
    glSecondaryColorPointerEXT = nullptr;
    glVertexWeightfvEXT = nullptr;
    glVertexWeightPointerEXT = nullptr;
    glPointParameterfARB = nullptr;
    glPointParameterfvARB = nullptr;
    glGetProgramivARB = nullptr;
    glIsProgramARB = nullptr;
    glProgramLocalParameter4fARB = nullptr;
    glProgramEnvParameter4fARB = nullptr;
    glProgramEnvParameter4fvARB = nullptr;
    glFogCoordfEXT = nullptr;
    glGetStringi = nullptr;
    glFenceSync = nullptr;
    glClientWaitSync = nullptr;
    glDeleteSync = nullptr;
    glCombinerParameterfvNV = nullptr;
    glCombinerParameterfNV = nullptr;
    glCombinerParameterivNV = nullptr;
    glCombinerParameteriNV = nullptr;
    glCombinerInputNV = nullptr;
    glCombinerOutputNV = nullptr;
    glFinalCombinerInputNV = nullptr;
    glGetCombinerInputParameterfvNV = nullptr;
    glGetCombinerInputParameterivNV = nullptr;
    glGetCombinerOutputParameterfvNV = nullptr;
    glGetCombinerOutputParameterivNV = nullptr;
    glGetFinalCombinerInputParameterfvNV = nullptr;
    glGetFinalCombinerInputParameterivNV = nullptr;
    glCombinerStageParameterfvNV = nullptr;
    glGetCombinerStageParameterfvNV = nullptr;
}
} // namespace ext

GLenum rectTextureTarget = 0x85B3;

static std::string extensionList;
static bool extensionListRead = false;

void refreshGlExtensionList()
{
    extensionList.clear();
    extensionListRead = false;
}

// Core-profile style drivers may answer GL_EXTENSIONS with nothing; their list comes one name
// at a time through glGetStringi.
static std::string readExtensionList()
{
    const auto* whole = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    std::string list = whole ? whole : "";
    if (list.empty() && ext::glGetStringi) {
        GLint count = 0;
        glGetIntegerv(GL_NUM_EXTENSIONS, &count);
        for (GLint i = 0; i < count; ++i) {
            const auto* name = reinterpret_cast<const char*>(
                ext::glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
            if (name) {
                list += name;
                list += ' ';
            }
        }
    }
    while (!list.empty() && list.back() == ' ')
        list.pop_back();
    return list;
}

const std::string& glExtensionList()
{
    if (!extensionListRead) {
        extensionList = readExtensionList();
        extensionListRead = !extensionList.empty();
    }
    return extensionList;
}

bool hasGlExtension(const char* name)
{
    const std::string& list = glExtensionList();
    const std::string wanted = name;
    if (wanted.empty())
        return false;
    for (std::size_t at = list.find(wanted); at != std::string::npos;
         at = list.find(wanted, at + 1)) {
        const bool starts = at == 0 || list[at - 1] == ' ';
        const std::size_t end = at + wanted.size();
        const bool ends = end == list.size() || list[end] == ' ';
        if (starts && ends)
            return true;
    }
    return false;
}

bool hasGlVersion(int major, int minor)
{
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int haveMajor = 0;
    int haveMinor = 0;
    if (!version || std::sscanf(version, "%d.%d", &haveMajor, &haveMinor) != 2)
        return false;
    return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}
