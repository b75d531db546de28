#pragma once

#include "scene/Material.h"

// Turning a material pass into GL state. Applying only sets state: the caller brackets each
// pass with glPushAttrib(GL_ALL_ATTRIB_BITS) before and glPopAttrib() after drawing, which
// restores everything set here except the filters, wraps, anisotropy and bias written into the
// shared textures (each stage writes all of them every time).

// The present parts in a fixed order: blend, combiners, depth, vertex program, pixel program,
// texture stages, cull. Makes the pass's emulated combiners the active ones (none without):
// the caller calls prepareActiveCombiners() right before each draw and setActiveCombiners(nullptr)
// after its glPopAttrib().
void applyMaterial(const Material& material);
// glPushAttrib(GL_ALL_ATTRIB_BITS), then applyMaterial; the caller draws and pops.
void applyMaterialPushed(const Material& material);

void applyBlend(const BlendState& blend);
void applyDepth(const DepthState& depth);
// Sets the front face only: culling itself stays as the start-up state has it.
void applyCull(const CullState& cull);
// "Off" switches texturing off on units 0 and 1; otherwise each stage with a texture binds it on
// its unit with its parameters. Unit 1 is left active after a secondary stage or "Off".
void applyTextureStages(const TextureStages& stages);
