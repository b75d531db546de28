#pragma once

#include "scene/Material.h"

// Turning a material pass into GL state. Applying only sets state: the caller brackets each
// pass with glPushAttrib(GL_ALL_ATTRIB_BITS) before and glPopAttrib() after drawing, which
// restores everything set here except the filters, wraps, anisotropy and bias written into the
// shared textures (each stage writes all of them every time).

// The present parts in a fixed order: blend, combiners, depth, vertex program, pixel program,
// texture stages, cull. Emulated combiners still need their variant bound right before the draw
// (drawMaterialPass does both).
void applyMaterial(const Material& material);

// The pass's emulated combiners, or null where it has none or binds a fragment program: a
// fragment program takes their place, as it does over native combiners, whichever keyword
// ("Vert" or "Pix") named its file.
const EmulatedCombiners* emulatedCombinersOf(const Material& material);

void applyBlend(const BlendState& blend);
void applyDepth(const DepthState& depth);
// Sets the front face only: culling itself stays as the start-up state has it.
void applyCull(const CullState& cull);
// "Off" switches texturing off on units 0 and 1; otherwise each stage with a texture binds it on
// its unit with its parameters. Unit 1 is left active after a secondary stage or "Off".
void applyTextureStages(const TextureStages& stages);
