#include "render/TextPanel.h"

#include "render/BitmapFont.h"
#include "shell/GlExtensions.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

namespace {

constexpr int margin = 4;       // between the viewport's corner and the box
constexpr int padding = 4;      // between the box's edge and its contents
constexpr int graphHeight = 24; // pixels, before scaling
constexpr int largeTextViewportHeight = 720;
constexpr int clipPlanes = 6;

int scaleFor(const int viewport[4])
{
    return viewport[3] >= largeTextViewportHeight ? 2 : 1;
}

// Leaves nothing but plain coloured, untextured, unlit, untested fragments: whatever a layer
// enabled, this draw must not be lit, fogged, textured, depth-tested, culled or programmed.
void plainState()
{
    // Off before any glColor call, so the colour cannot reach the tracked material.
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_COLOR_LOGIC_OP);
    glDisable(GL_COLOR_SUM_EXT);
    for (int plane = 0; plane < clipPlanes; ++plane)
        glDisable(static_cast<GLenum>(GL_CLIP_PLANE0 + plane));
    if (hasGlExtension("GL_ARB_vertex_program"))
        glDisable(GL_VERTEX_PROGRAM_ARB);
    if (hasGlExtension("GL_ARB_fragment_program"))
        glDisable(GL_FRAGMENT_PROGRAM_ARB);
    if (hasGlExtension("GL_NV_register_combiners"))
        glDisable(GL_REGISTER_COMBINERS_NV);
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    for (GLint unit = units - 1; unit >= 0; --unit) {
        ext::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        if (rectTextureTarget == GL_TEXTURE_RECTANGLE_NV)
            glDisable(GL_TEXTURE_RECTANGLE_NV);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_FLAT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (ext::glBlendEquationEXT)
        ext::glBlendEquationEXT(GL_FUNC_ADD_EXT);
}

void rectangle(float x, float y, float width, float height)
{
    glVertex2f(x, y);
    glVertex2f(x + width, y);
    glVertex2f(x + width, y + height);
    glVertex2f(x, y + height);
}

void drawGraph(const std::vector<float>& milliseconds, float left, float bottom, float scale)
{
    const float height = static_cast<float>(graphHeight) * scale;
    const std::size_t first =
        milliseconds.size() > graphFrames ? milliseconds.size() - graphFrames : 0;
    glBegin(GL_QUADS);
    glColor4f(1.0f, 1.0f, 1.0f, 0.15f);
    rectangle(left, bottom, static_cast<float>(graphFrames) * scale, height);
    for (std::size_t i = first; i < milliseconds.size(); ++i) {
        const float ms = milliseconds[i];
        // Green up to a 60 Hz frame, yellow up to 30 Hz, red beyond.
        if (ms <= 1000.0f / 60.0f)
            glColor4f(0.3f, 1.0f, 0.3f, 1.0f);
        else if (ms <= 1000.0f / 30.0f)
            glColor4f(1.0f, 0.9f, 0.2f, 1.0f);
        else
            glColor4f(1.0f, 0.3f, 0.2f, 1.0f);
        const float bar = std::clamp(ms / graphTopMilliseconds, 0.0f, 1.0f) * height;
        rectangle(left + static_cast<float>(i - first) * scale, bottom, scale, bar);
    }
    glEnd();
}

} // namespace

PanelBox panelBox(const TextPanel& panel, const int viewport[4])
{
    const int scale = scaleFor(viewport);
    std::size_t columns = 0;
    for (const std::string& line : panel.lines)
        columns = std::max(columns, line.size());
    const int textWidth = static_cast<int>(columns) * glyphAdvance * scale;
    const int graphWidth = static_cast<int>(graphFrames) * scale;
    PanelBox box;
    box.width = std::max(textWidth, graphWidth) + 2 * padding;
    box.height = static_cast<int>(panel.lines.size()) * lineAdvance * scale + graphHeight * scale +
                 3 * padding;
    box.x = viewport[0] + margin;
    box.y = viewport[1] + viewport[3] - margin - box.height;
    return box;
}

PanelBox drawTextPanel(const TextPanel& panel)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const PanelBox box = panelBox(panel, viewport);
    const auto scale = static_cast<float>(scaleFor(viewport));

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Window pixels inside the viewport, y up.
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1.0,
            1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    plainState();

    const auto left = static_cast<float>(box.x);
    const auto top = static_cast<float>(box.y + box.height);
    glBegin(GL_QUADS);
    glColor4f(0.0f, 0.0f, 0.0f, 0.65f);
    rectangle(left, static_cast<float>(box.y), static_cast<float>(box.width),
              static_cast<float>(box.height));
    glEnd();
    glColor4f(1.0f, 1.0f, 0.85f, 1.0f);
    float lineTop = top - static_cast<float>(padding);
    for (const std::string& line : panel.lines) {
        drawText(line, left + static_cast<float>(padding), lineTop, scale);
        lineTop -= static_cast<float>(lineAdvance) * scale;
    }
    drawGraph(panel.frameMilliseconds, left + static_cast<float>(padding),
              static_cast<float>(box.y + padding), scale);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    return box;
}
