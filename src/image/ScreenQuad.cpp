#include "image/TextureCache.h"

#include "shell/GlExtensions.h"

void bindTexture(const Texture& texture)
{
    // Cube maps take precedence over rectangles, and rectangles over 2D.
    if (texture.target == GL_TEXTURE_2D) {
        glDisable(rectTextureTarget);
        glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    } else if (texture.target == rectTextureTarget) {
        glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    }
    glEnable(texture.target);
    glBindTexture(texture.target, texture.glName.get());
}

void bindTextureUnit(const Texture& texture, int unit)
{
    ext::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
    bindTexture(texture);
}

void disableTextureUnit(int unit)
{
    ext::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
    glDisable(rectTextureTarget);
    glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    glDisable(GL_TEXTURE_2D);
}

void setScreenQuadState()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
}

void drawScreenQuad(const Texture& texture)
{
    // Rectangle textures are addressed in texels, every other target in 0..1.
    const bool rectangle = texture.target == rectTextureTarget;
    const float s = rectangle ? static_cast<float>(texture.width) : 1.0f;
    const float t = rectangle ? static_cast<float>(texture.height) : 1.0f;
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, -1.0f, 0.0f);
    glTexCoord2f(0.0f, t);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glTexCoord2f(s, 0.0f);
    glVertex3f(1.0f, -1.0f, 0.0f);
    glTexCoord2f(s, t);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glEnd();
}

void drawLoadingScreen(TextureCache& cache)
{
    const Texture& image = cache.getByName("PleaseWaitLoading");
    disableTextureUnit(1);
    bindTextureUnit(image, 0);
    setScreenQuadState();
    drawScreenQuad(image);
}
