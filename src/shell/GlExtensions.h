#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

// Extension entry points, resolved once at start-up (initialiseGL, ExtensionLoader) and called
// through these pointers. A pointer is set only where its extension or GL version is present,
// so null means "not available" even though the platform lookup answers for any name.
namespace ext {
// Resolved by initialiseGL, in its order; the first four marked required never stay null.
extern PFNGLSECONDARYCOLOR3FEXTPROC glSecondaryColor3fEXT;
extern PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB; // required
extern PFNGLACTIVETEXTUREARBPROC glActiveTextureARB;     // required
extern PFNGLBLENDEQUATIONEXTPROC glBlendEquationEXT;
extern PFNGLBLENDCOLOREXTPROC glBlendColorEXT;
extern PFNGLVERTEXWEIGHTFEXTPROC glVertexWeightfEXT; // required; a no-op where absent
extern PFNGLPOINTPARAMETERIVNVPROC glPointParameterivNV;
extern PFNGLPOINTPARAMETERINVPROC glPointParameteriNV;
extern PFNGLPOINTPARAMETERFVEXTPROC glPointParameterfvEXT;
extern PFNGLPOINTPARAMETERFEXTPROC glPointParameterfEXT;
extern PFNGLDELETEPROGRAMSARBPROC glDeleteProgramsARB; // required
extern PFNGLBINDPROGRAMARBPROC glBindProgramARB;
extern PFNGLGENPROGRAMSARBPROC glGenProgramsARB;
extern PFNGLPROGRAMSTRINGARBPROC glProgramStringARB;
extern PFNGLPROGRAMLOCALPARAMETER4FVARBPROC glProgramLocalParameter4fvARB;

// Also resolved by initialiseGL, all optional.
extern PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB;
extern PFNGLMULTITEXCOORD2FVARBPROC glMultiTexCoord2fvARB;
extern PFNGLMULTITEXCOORD3FARBPROC glMultiTexCoord3fARB;
extern PFNGLMULTITEXCOORD3FVARBPROC glMultiTexCoord3fvARB;
extern PFNGLMULTITEXCOORD4FARBPROC glMultiTexCoord4fARB;
extern PFNGLMULTITEXCOORD4FVARBPROC glMultiTexCoord4fvARB;
extern PFNGLSECONDARYCOLOR3FVEXTPROC glSecondaryColor3fvEXT;
extern PFNGLSECONDARYCOLORPOINTEREXTPROC glSecondaryColorPointerEXT;
extern PFNGLVERTEXWEIGHTFVEXTPROC glVertexWeightfvEXT;           // a no-op where absent
extern PFNGLVERTEXWEIGHTPOINTEREXTPROC glVertexWeightPointerEXT; // a no-op where absent
extern PFNGLPOINTPARAMETERFARBPROC glPointParameterfARB;
extern PFNGLPOINTPARAMETERFVARBPROC glPointParameterfvARB;
extern PFNGLGETPROGRAMIVARBPROC glGetProgramivARB;
extern PFNGLISPROGRAMARBPROC glIsProgramARB;
extern PFNGLPROGRAMLOCALPARAMETER4FARBPROC glProgramLocalParameter4fARB;
extern PFNGLPROGRAMENVPARAMETER4FARBPROC glProgramEnvParameter4fARB;
extern PFNGLPROGRAMENVPARAMETER4FVARBPROC glProgramEnvParameter4fvARB;
extern PFNGLFOGCOORDFEXTPROC glFogCoordfEXT;
extern PFNGLGETSTRINGIPROC glGetStringi;
// GL_ARB_sync or GL 3.2: all three or none.
extern PFNGLFENCESYNCPROC glFenceSync;
extern PFNGLCLIENTWAITSYNCPROC glClientWaitSync;
extern PFNGLDELETESYNCPROC glDeleteSync;

// GL_NV_register_combiners and GL_NV_register_combiners2: resolved by ExtensionLoader.
extern PFNGLCOMBINERPARAMETERFVNVPROC glCombinerParameterfvNV;
extern PFNGLCOMBINERPARAMETERFNVPROC glCombinerParameterfNV;
extern PFNGLCOMBINERPARAMETERIVNVPROC glCombinerParameterivNV;
extern PFNGLCOMBINERPARAMETERINVPROC glCombinerParameteriNV;
extern PFNGLCOMBINERINPUTNVPROC glCombinerInputNV;
extern PFNGLCOMBINEROUTPUTNVPROC glCombinerOutputNV;
extern PFNGLFINALCOMBINERINPUTNVPROC glFinalCombinerInputNV;
extern PFNGLGETCOMBINERINPUTPARAMETERFVNVPROC glGetCombinerInputParameterfvNV;
extern PFNGLGETCOMBINERINPUTPARAMETERIVNVPROC glGetCombinerInputParameterivNV;
extern PFNGLGETCOMBINEROUTPUTPARAMETERFVNVPROC glGetCombinerOutputParameterfvNV;
extern PFNGLGETCOMBINEROUTPUTPARAMETERIVNVPROC glGetCombinerOutputParameterivNV;
extern PFNGLGETFINALCOMBINERINPUTPARAMETERFVNVPROC glGetFinalCombinerInputParameterfvNV;
extern PFNGLGETFINALCOMBINERINPUTPARAMETERIVNVPROC glGetFinalCombinerInputParameterivNV;
extern PFNGLCOMBINERSTAGEPARAMETERFVNVPROC glCombinerStageParameterfvNV;
extern PFNGLGETCOMBINERSTAGEPARAMETERFVNVPROC glGetCombinerStageParameterfvNV;

// Sets every pointer above back to null (a new context must be resolved afresh).
void clearAll();
} // namespace ext

// GL_TEXTURE_RECTANGLE_NV (0x84F5) once initialiseGL finds a rectangle-texture extension,
// otherwise its initial 0x85B3.
extern GLenum rectTextureTarget;

// Exact, whole-name match in the current context's extension list (GL_EXTENSIONS, or the
// glGetStringi list where a driver returns none). The list is read once per initialiseGL.
bool hasGlExtension(const char* name);

// The space-separated extension list the above searches, with no trailing space.
const std::string& glExtensionList();

// True when GL_VERSION is at least major.minor.
bool hasGlVersion(int major, int minor);

// Forgets the cached extension list; initialiseGL calls it for each new context.
void refreshGlExtensionList();
