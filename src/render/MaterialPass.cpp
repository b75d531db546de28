#include "render/MaterialPass.h"

#include "combiners/EmulatedCombiners.h"
#include "material/MaterialApply.h"

#include <GL/gl.h>

namespace {

// Mesa's glPopAttrib restores the current colour but leaves the colour-tracked material at the
// pass's last vertex colour, and a later glColor of the same value does not re-track it: objects
// without colours of their own would be lit in that colour. Switching tracking on again takes the
// material from the current colour, as it should already be.
void retrackColourMaterial()
{
    if (glIsEnabled(GL_COLOR_MATERIAL)) {
        glDisable(GL_COLOR_MATERIAL);
        glEnable(GL_COLOR_MATERIAL);
    }
}

} // namespace

void drawMaterialPass(const Material& material, const std::function<void()>& setUp,
                      const std::function<void()>& draw)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    applyMaterial(material);
    if (setUp)
        setUp();
    if (const EmulatedCombiners* combiners = emulatedCombinersOf(material))
        combiners->beforeDraw();
    draw();
    glPopAttrib();
    retrackColourMaterial();
}
