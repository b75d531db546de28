#pragma once

#include <functional>

struct Material;

// Draws one material pass, the one place a pass's state is set and undone: pushes every
// attribute, applies the material, runs setUp (the caller's own state, such as a screen quad's,
// which the combiners' variant depends on; may be empty), binds the variant of the pass's
// emulated combiners for the state as it then stands, runs draw, pops, and re-tracks the colour
// material, which glPopAttrib leaves stale.
void drawMaterialPass(const Material& material, const std::function<void()>& setUp,
                      const std::function<void()>& draw);
