#include "material/MaterialApply.h"

#include "combiners/EmulatedCombiners.h"
#include "image/Anisotropy.h"
#include "image/TextureCache.h"
#include "material/ShaderProgram.h"
#include "shell/GlExtensions.h"

namespace {

constexpr GLenum registerCombiners = 0x8522; // GL_REGISTER_COMBINERS_NV

bool isConstantFactor(GLenum factor)
{
    return factor == GL_CONSTANT_COLOR_EXT || factor == GL_ONE_MINUS_CONSTANT_COLOR_EXT ||
           factor == GL_CONSTANT_ALPHA_EXT || factor == GL_ONE_MINUS_CONSTANT_ALPHA_EXT;
}

void applyStage(const TextureStage& stage, GLenum unit)
{
    const Texture& texture = *stage.texture;
    ext::glActiveTextureARB(unit);
    bindTexture(texture);
    glTexParameteri(texture.target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(stage.magFilter));
    glTexParameteri(texture.target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(stage.minFilter));
    glTexParameteri(texture.target, GL_TEXTURE_WRAP_S, static_cast<GLint>(stage.wrapU));
    glTexParameteri(texture.target, GL_TEXTURE_WRAP_T, static_cast<GLint>(stage.wrapV));
    glTexParameterf(texture.target, GL_TEXTURE_MAX_ANISOTROPY_EXT,
                    filteredAnisotropy(stage.anisotropy, texture.maxAnisotropy, stage.minFilter,
                                       stage.magFilter));
    glTexEnvf(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, stage.bias);
}

} // namespace

void applyBlend(const BlendState& blend)
{
    if (!blend.enabled) {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    if (blend.equation != GL_FUNC_ADD_EXT && ext::glBlendEquationEXT)
        ext::glBlendEquationEXT(blend.equation);
    if ((isConstantFactor(blend.srcFactor) || isConstantFactor(blend.dstFactor)) &&
        ext::glBlendColorEXT) {
        const auto& c = blend.constColour;
        ext::glBlendColorEXT(c[0], c[1], c[2], c[3]);
    }
    glBlendFunc(blend.srcFactor, blend.dstFactor);
}

void applyDepth(const DepthState& depth)
{
    if (!depth.enabled) {
        glDisable(GL_DEPTH_TEST);
        return;
    }
    glEnable(GL_DEPTH_TEST);
    glDepthMask(depth.writeMask);
    glDepthFunc(depth.func);
}

void applyCull(const CullState& cull)
{
    if (cull.enabled)
        glFrontFace(cull.frontFace);
    else
        glDisable(GL_CULL_FACE);
}

void applyTextureStages(const TextureStages& stages)
{
    if (!stages.enabled) {
        disableTextureUnit(0);
        disableTextureUnit(1);
        return;
    }
    if (stages.primary.texture)
        applyStage(stages.primary, GL_TEXTURE0_ARB);
    if (stages.secondary.texture)
        applyStage(stages.secondary, GL_TEXTURE1_ARB);
    // A refused value leaves the texture as it was; its error must not surface in the next
    // caller's glGetError.
    if (stages.mayBeRefused) {
        while (glGetError() != GL_NO_ERROR) {
        }
    }
}

void applyMaterial(const Material& material)
{
    if (material.blend)
        applyBlend(*material.blend);
    if (material.combiners) {
        const CombinerList& combiners = *material.combiners;
        glEnable(combiners.emulated ? GL_FRAGMENT_PROGRAM_ARB : registerCombiners);
        glCallList(combiners.list.get());
    }
    if (material.depth)
        applyDepth(*material.depth);
    if (material.vertexProgram)
        bindProgram(*material.vertexProgram);
    if (material.pixelProgram)
        bindProgram(*material.pixelProgram);
    if (material.stages)
        applyTextureStages(*material.stages);
    if (material.cull)
        applyCull(*material.cull);
}

const EmulatedCombiners* emulatedCombinersOf(const Material& material)
{
    if (!material.combiners)
        return nullptr;
    for (const ShaderProgram* program : {material.vertexProgram, material.pixelProgram})
        if (program && program->target == GL_FRAGMENT_PROGRAM_ARB)
            return nullptr;
    return material.combiners->emulated.get();
}
