#include "support/OffscreenGl.h"

#include "platform/OffscreenSurface.h"
#include "shell/GlExtensions.h"
#include "shell/GlStartup.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

static OffscreenSurface& surface()
{
    static OffscreenSurface shared;
    return shared;
}

void ensureOffscreenGl(int width, int height)
{
    OffscreenSurface& gl = surface();
    if (!gl.isOpen()) {
        if (const char* failure = gl.create(width, height))
            throw std::runtime_error(std::string("offscreen GL: ") + failure);
        initialiseGL();
    } else if (!gl.makeCurrent() || !gl.resize(width, height)) {
        throw std::runtime_error("offscreen GL: cannot resize the surface");
    }
    glViewport(0, 0, width, height);
}

int offscreenWidth()
{
    return surface().width();
}
int offscreenHeight()
{
    return surface().height();
}

std::vector<unsigned char> readPixelsRGBA(int x, int y, int w, int h)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) *
                                      4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

static void resetTextureUnits()
{
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    for (GLint unit = units - 1; unit >= 0; --unit) {
        ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
        if (ext::glClientActiveTextureARB)
            ext::glClientActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisable(GL_TEXTURE_1D);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_3D);
        glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        glDisable(GL_TEXTURE_RECTANGLE_NV);
        glBindTexture(GL_TEXTURE_1D, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindTexture(GL_TEXTURE_3D, 0);
        glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, 0);
        glBindTexture(GL_TEXTURE_RECTANGLE_NV, 0);
        for (const GLenum generation :
             {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q})
            glDisable(generation);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        const GLfloat clear[] = {0.0f, 0.0f, 0.0f, 0.0f};
        glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, clear);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
    }
}

void resetGlState()
{
    ensureOffscreenGl(offscreenWidth() > 0 ? offscreenWidth() : 256,
                      offscreenHeight() > 0 ? offscreenHeight() : 256);
    GLint depth = 0;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
    for (; depth > 0; --depth)
        glPopAttrib();
    glGetIntegerv(GL_CLIENT_ATTRIB_STACK_DEPTH, &depth);
    for (; depth > 0; --depth)
        glPopClientAttrib();

    resetTextureUnits();
    if (ext::glBindProgramARB) {
        ext::glBindProgramARB(GL_VERTEX_PROGRAM_ARB, 0);
        ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, 0);
        glDisable(GL_VERTEX_PROGRAM_ARB);
        glDisable(GL_FRAGMENT_PROGRAM_ARB);
    }
    if (hasGlExtension("GL_NV_register_combiners"))
        glDisable(GL_REGISTER_COMBINERS_NV);
    glDisable(GL_POINT_SPRITE_ARB);
    for (const GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY,
                               GL_SECONDARY_COLOR_ARRAY_EXT, GL_FOG_COORDINATE_ARRAY_EXT})
        glDisableClientState(array);
    for (const GLenum mode : {GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glLoadIdentity();
    }

    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_COLOR_LOGIC_OP);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    for (GLenum light = GL_LIGHT0; light <= GL_LIGHT7; ++light)
        glDisable(light);
    glDisable(GL_CLIP_PLANE0);
    glBlendFunc(GL_ONE, GL_ZERO);
    if (ext::glBlendEquationEXT)
        ext::glBlendEquationEXT(GL_FUNC_ADD_EXT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glDepthRange(0.0, 1.0);
    glClearDepth(1.0);
    glCullFace(GL_BACK);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPointSize(1.0f);
    glLineWidth(1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glNormal3f(0.0f, 0.0f, 1.0f);
    const GLfloat fogColour[] = {0.0f, 0.0f, 0.0f, 0.0f};
    glFogfv(GL_FOG_COLOR, fogColour);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 1.0f);
    glFogf(GL_FOG_DENSITY, 1.0f);
    const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);

    applyInitialGlState();
    glViewport(0, 0, offscreenWidth(), offscreenHeight());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    while (glGetError() != GL_NO_ERROR) {
    }
}
