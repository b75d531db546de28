#include "material/MaterialUpload.h"

#include "material/CombinerBlock.h"
#include "material/ProgramRegistry.h"

#include "image/TextureCache.h"
#include "shell/GlExtensions.h"

#include <iostream>
#include <sstream>
#include <utility>
#include <variant>

namespace {

// What one step made; nothing for a warning.
using LoadedStep = std::variant<std::monostate, const ShaderProgram*, const Texture*, CombinerList>;

LoadedStep loadStep(const MaterialStep& step, ProgramRegistry& programs, TextureCache& textures)
{
    switch (step.kind) {
    case MaterialStep::Kind::warning:
        std::cerr << step.text;
        return {};
    case MaterialStep::Kind::program:
        return &programs.getProgram(step.text);
    case MaterialStep::Kind::textureByName:
        return &textures.getByName(step.text);
    case MaterialStep::Kind::textureByFileName: {
        // The cache reads the name from a stream; this one holds the checked word alone.
        std::istringstream name(step.text);
        return &textures.getByFileName(name);
    }
    case MaterialStep::Kind::combiners:
        return compileCombiners(step.text);
    }
    return {};
}

std::vector<LoadedStep> loadSteps(const std::vector<MaterialStep>& steps, ProgramRegistry& programs,
                                  TextureCache& textures)
{
    std::vector<LoadedStep> loaded;
    loaded.reserve(steps.size());
    for (const MaterialStep& step : steps)
        loaded.push_back(loadStep(step, programs, textures));
    return loaded;
}

// Used where the driver does not say how much anisotropy it allows.
constexpr float presetMaxAnisotropy = 2.0f;

// The stages with their textures, the driver's anisotropy limit where the block gave none, and
// whether the driver may refuse a value.
TextureStages completeStages(TextureStagesBlock block, std::vector<LoadedStep>& loaded)
{
    TextureStages stages = block.stages;
    float maxAnisotropy = presetMaxAnisotropy;
    const bool anisotropic = hasGlExtension("GL_EXT_texture_filter_anisotropic");
    if (anisotropic)
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
    std::size_t index = 0;
    for (TextureStage* stage : {&stages.primary, &stages.secondary}) {
        if (block.textures[index])
            stage->texture = std::get<const Texture*>(loaded[*block.textures[index]]);
        if (!block.anisotropyGiven[index])
            stage->anisotropy = maxAnisotropy;
        ++index;
    }
    stages.mayBeRefused = stages.mayBeRefused || !anisotropic ||
                          !(hasGlExtension("GL_EXT_texture_lod_bias") || hasGlVersion(1, 4));
    return stages;
}

} // namespace

void loadMaterialSteps(const std::vector<MaterialStep>& steps, ProgramRegistry& programs,
                       TextureCache& textures)
{
    loadSteps(steps, programs, textures);
}

Material uploadMaterialBlock(MaterialBlock block, ProgramRegistry& programs, TextureCache& textures)
{
    std::vector<LoadedStep> loaded = loadSteps(block.steps, programs, textures);
    Material material;
    material.depth = block.depth;
    material.blend = block.blend;
    material.cull = block.cull;
    if (block.vertexProgram)
        material.vertexProgram = std::get<const ShaderProgram*>(loaded[*block.vertexProgram]);
    if (block.pixelProgram)
        material.pixelProgram = std::get<const ShaderProgram*>(loaded[*block.pixelProgram]);
    if (block.combiners)
        material.combiners = std::move(std::get<CombinerList>(loaded[*block.combiners]));
    if (block.stages)
        material.stages = completeStages(*block.stages, loaded);
    return material;
}
