#pragma once

#include "material/MaterialBlock.h"
#include "scene/Material.h"

#include <vector>

class ProgramRegistry;
class TextureCache;

// Loads the steps in file order: warnings go to standard error, programs and textures come
// through their registries, combiner text is compiled. The first failure is the loading error.
// GL must be current, outside any display list.
void loadMaterialSteps(const std::vector<MaterialStep>& steps, ProgramRegistry& programs,
                       TextureCache& textures);

// The pass a block describes, its steps loaded as loadMaterialSteps does and the stages
// completed with what the driver allows.
Material uploadMaterialBlock(MaterialBlock block, ProgramRegistry& programs,
                             TextureCache& textures);
