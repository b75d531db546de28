#include "shell/GlStartup.h"

#include "platform/GlProcAddress.h"
#include "platform/Window.h"
#include "shell/DemoConfig.h"
#include "shell/GlExtensions.h"
#include "shell/LoadError.h"
#include "shell/Viewport.h"

// A pointer is taken only when the driver says it has the function: the platform lookup
// returns something for any name at all.
template <typename Pointer> static void resolve(Pointer& pointer, const char* name, bool present)
{
    pointer = present ? reinterpret_cast<Pointer>(glProcAddress(name)) : nullptr;
}

// The extension's own name first, the core function of the same meaning second.
template <typename Pointer>
static void resolveEither(Pointer& pointer, const char* extensionName, bool extensionPresent,
                          const char* coreName, bool corePresent)
{
    resolve(pointer, extensionName, extensionPresent);
    if (!pointer)
        resolve(pointer, coreName, corePresent);
}

template <typename Pointer> static void requireResolved(Pointer pointer, const char* message)
{
    if (pointer == nullptr)
        throw LoadError(message);
}

// Drivers without GL_EXT_vertex_weighting (Mesa, most current ones) get these: the player
// never enables vertex weighting, so the weights it passes have no visible effect anyway.
static void APIENTRY vertexWeightfIgnored(GLfloat) {}
static void APIENTRY vertexWeightfvIgnored(const GLfloat*) {}
static void APIENTRY vertexWeightPointerIgnored(GLint, GLenum, GLsizei, const void*) {}

// GL_ARB_point_sprite shares GL_NV_point_sprite's enums, and its point parameters are the core
// ones. Only the NV R coordinate mode has no counterpart; it matters only for 3D textures.
static PFNGLPOINTPARAMETERIPROC corePointParameteri = nullptr;
static PFNGLPOINTPARAMETERIVPROC corePointParameteriv = nullptr;

static void APIENTRY pointParameteriFromArb(GLenum pname, GLint param)
{
    if (pname != GL_POINT_SPRITE_R_MODE_NV)
        corePointParameteri(pname, param);
}

static void APIENTRY pointParameterivFromArb(GLenum pname, const GLint* params)
{
    if (pname != GL_POINT_SPRITE_R_MODE_NV)
        corePointParameteriv(pname, params);
}

static void resolvePointSprite(bool version14)
{
    resolve(ext::glPointParameterivNV, "glPointParameterivNV",
            hasGlExtension("GL_NV_point_sprite"));
    resolve(ext::glPointParameteriNV, "glPointParameteriNV", hasGlExtension("GL_NV_point_sprite"));
    if (ext::glPointParameteriNV && ext::glPointParameterivNV)
        return;
    const bool arb = hasGlExtension("GL_ARB_point_sprite") && version14;
    resolve(corePointParameteri, "glPointParameteri", arb);
    resolve(corePointParameteriv, "glPointParameteriv", arb);
    if (corePointParameteri && corePointParameteriv) {
        ext::glPointParameteriNV = pointParameteriFromArb;
        ext::glPointParameterivNV = pointParameterivFromArb;
    }
}

static void resolveExtras(bool multitexture, bool version13, bool programs)
{
    const bool secondaryColor = hasGlExtension("GL_EXT_secondary_color");
    resolveEither(ext::glClientActiveTextureARB, "glClientActiveTextureARB", multitexture,
                  "glClientActiveTexture", version13);
    resolveEither(ext::glMultiTexCoord2fvARB, "glMultiTexCoord2fvARB", multitexture,
                  "glMultiTexCoord2fv", version13);
    resolveEither(ext::glMultiTexCoord3fARB, "glMultiTexCoord3fARB", multitexture,
                  "glMultiTexCoord3f", version13);
    resolveEither(ext::glMultiTexCoord3fvARB, "glMultiTexCoord3fvARB", multitexture,
                  "glMultiTexCoord3fv", version13);
    resolveEither(ext::glMultiTexCoord4fARB, "glMultiTexCoord4fARB", multitexture,
                  "glMultiTexCoord4f", version13);
    resolveEither(ext::glMultiTexCoord4fvARB, "glMultiTexCoord4fvARB", multitexture,
                  "glMultiTexCoord4fv", version13);
    resolve(ext::glSecondaryColor3fvEXT, "glSecondaryColor3fvEXT", secondaryColor);
    resolve(ext::glSecondaryColorPointerEXT, "glSecondaryColorPointerEXT", secondaryColor);

    const bool weighting = hasGlExtension("GL_EXT_vertex_weighting");
    resolve(ext::glVertexWeightfvEXT, "glVertexWeightfvEXT", weighting);
    resolve(ext::glVertexWeightPointerEXT, "glVertexWeightPointerEXT", weighting);
    if (!ext::glVertexWeightfvEXT)
        ext::glVertexWeightfvEXT = vertexWeightfvIgnored;
    if (!ext::glVertexWeightPointerEXT)
        ext::glVertexWeightPointerEXT = vertexWeightPointerIgnored;

    const bool pointParameters = hasGlExtension("GL_ARB_point_parameters");
    resolve(ext::glPointParameterfARB, "glPointParameterfARB", pointParameters);
    resolve(ext::glPointParameterfvARB, "glPointParameterfvARB", pointParameters);
    resolve(ext::glGetProgramivARB, "glGetProgramivARB", programs);
    resolve(ext::glIsProgramARB, "glIsProgramARB", programs);
    resolve(ext::glProgramLocalParameter4fARB, "glProgramLocalParameter4fARB", programs);
    resolve(ext::glProgramEnvParameter4fARB, "glProgramEnvParameter4fARB", programs);
    resolve(ext::glProgramEnvParameter4fvARB, "glProgramEnvParameter4fvARB", programs);
    resolve(ext::glFogCoordfEXT, "glFogCoordfEXT", hasGlExtension("GL_EXT_fog_coord"));

    const bool sync = hasGlExtension("GL_ARB_sync") || hasGlVersion(3, 2);
    resolve(ext::glFenceSync, "glFenceSync", sync);
    resolve(ext::glClientWaitSync, "glClientWaitSync", sync);
    resolve(ext::glDeleteSync, "glDeleteSync", sync);
    if (!ext::glFenceSync || !ext::glClientWaitSync || !ext::glDeleteSync)
        ext::glFenceSync = nullptr; // a fence that could not be waited on or deleted is none
}

bool initialiseGL()
{
    ext::clearAll();
    refreshGlExtensionList();
    // Needed before the list itself where GL_EXTENSIONS comes back empty.
    resolve(ext::glGetStringi, "glGetStringi", hasGlVersion(3, 0));
    const bool version13 = hasGlVersion(1, 3);
    const bool version14 = hasGlVersion(1, 4);

    resolveEither(ext::glSecondaryColor3fEXT, "glSecondaryColor3fEXT",
                  hasGlExtension("GL_EXT_secondary_color"), "glSecondaryColor3f", version14);

    // Both extensions name the same target, 0x84F5; a context without either keeps 0x85B3.
    rectTextureTarget = 0x85B3;
    if (hasGlExtension("GL_NV_texture_rectangle") || hasGlExtension("GL_ARB_texture_rectangle"))
        rectTextureTarget = GL_TEXTURE_RECTANGLE_NV;

    const bool multitexture = hasGlExtension("GL_ARB_multitexture");
    resolveEither(ext::glMultiTexCoord2fARB, "glMultiTexCoord2fARB", multitexture,
                  "glMultiTexCoord2f", version13);
    requireResolved(ext::glMultiTexCoord2fARB, "glMultiTexCoord2fARB unreachable");
    resolveEither(ext::glActiveTextureARB, "glActiveTextureARB", multitexture, "glActiveTexture",
                  version13);
    requireResolved(ext::glActiveTextureARB, "glActiveTextureARB unreachable");

    const bool blendEquation =
        hasGlExtension("GL_EXT_blend_minmax") || hasGlExtension("GL_EXT_blend_subtract");
    resolveEither(ext::glBlendEquationEXT, "glBlendEquationEXT", blendEquation, "glBlendEquation",
                  version14);
    resolveEither(ext::glBlendColorEXT, "glBlendColorEXT", hasGlExtension("GL_EXT_blend_color"),
                  "glBlendColor", version14);

    resolve(ext::glVertexWeightfEXT, "glVertexWeightfEXT",
            hasGlExtension("GL_EXT_vertex_weighting"));
    if (!ext::glVertexWeightfEXT)
        ext::glVertexWeightfEXT = vertexWeightfIgnored;
    requireResolved(ext::glVertexWeightfEXT, "glVertexWeightfEXT unreachable");

    resolvePointSprite(version14);
    const bool pointParameters = hasGlExtension("GL_EXT_point_parameters");
    resolveEither(ext::glPointParameterfvEXT, "glPointParameterfvEXT", pointParameters,
                  "glPointParameterfv", version14);
    resolveEither(ext::glPointParameterfEXT, "glPointParameterfEXT", pointParameters,
                  "glPointParameterf", version14);

    const bool programs =
        hasGlExtension("GL_ARB_vertex_program") || hasGlExtension("GL_ARB_fragment_program");
    resolve(ext::glDeleteProgramsARB, "glDeleteProgramsARB", programs);
    requireResolved(ext::glDeleteProgramsARB, "glDeleteProgramsARB unreachable");
    resolve(ext::glBindProgramARB, "glBindProgramARB", programs);
    resolve(ext::glGenProgramsARB, "glGenProgramsARB", programs);
    resolve(ext::glProgramStringARB, "glProgramStringARB", programs);
    resolve(ext::glProgramLocalParameter4fvARB, "glProgramLocalParameter4fvARB", programs);

    resolveExtras(multitexture, version13, programs);
    applyInitialGlState();
    return true;
}

void applyInitialGlState()
{
    glEnable(GL_COLOR_SUM_EXT);
    glHint(GL_GENERATE_MIPMAP_HINT_SGIS, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glHint(GL_FOG_HINT, GL_NICEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_NORMALIZE);
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glEnable(GL_BLEND);
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_DITHER);
    glShadeModel(GL_SMOOTH);
    glFrontFace(GL_CW);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT, GL_FILL);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Sphere-map modes are set up front but generation stays off until a material enables it.
    for (const GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
        ext::glActiveTextureARB(unit);
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    const GLfloat black[] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (GLenum light = GL_LIGHT0; light <= GL_LIGHT7; ++light) {
        glLightfv(light, GL_AMBIENT, black);
        glLightfv(light, GL_SPECULAR, black);
    }
}

bool openPlayerWindow(Window& window, const DemoSettings& settings, float aspect)
{
    WindowRequest request;
    request.title = "Ardun{Quillomark}";
    request.width = settings.width;
    request.height = settings.height;
    request.colourBits = settings.colourBits;
    request.zBits = settings.zBits;
    request.fullscreen = settings.fullscreen;
    if (settings.vsync)
        request.swapInterval = *settings.vsync ? 1 : 0;
    if (!window.create(request, [aspect](int width, int height) { resize(width, height, aspect); }))
        return false;
    return initialiseGL();
}
