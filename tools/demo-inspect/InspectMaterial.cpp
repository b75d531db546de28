#include "InspectMaterial.h"

#include "image/TextureCache.h"
#include "material/ShaderProgram.h"

namespace {

Json off()
{
    Json part = Json::object();
    part["enabled"] = false;
    return part;
}

Json jsonProgram(const ShaderProgram* program)
{
    if (!program)
        return nullptr;
    Json out = Json::object();
    out["name"] = jsonText(program->name);
    out["target"] = program->target;
    return out;
}

Json jsonDepth(const DepthState& depth)
{
    if (!depth.enabled)
        return off();
    Json out = Json::object();
    out["enabled"] = true;
    out["writeMask"] = depth.writeMask != GL_FALSE;
    out["func"] = depth.func;
    return out;
}

Json jsonBlend(const BlendState& blend)
{
    if (!blend.enabled)
        return off();
    Json colour = Json::array();
    for (float channel : blend.constColour)
        colour.push_back(jsonNumber(channel));
    Json out = Json::object();
    out["enabled"] = true;
    out["equation"] = blend.equation;
    out["srcFactor"] = blend.srcFactor;
    out["dstFactor"] = blend.dstFactor;
    out["constColour"] = std::move(colour);
    return out;
}

Json jsonCull(const CullState& cull)
{
    if (!cull.enabled)
        return off();
    Json out = Json::object();
    out["enabled"] = true;
    out["frontFace"] = cull.frontFace;
    return out;
}

Json jsonTexture(const Texture* texture)
{
    return texture ? jsonText(texture->name) : Json(nullptr);
}

Json jsonStages(const TextureStages& s)
{
    if (!s.enabled)
        return off();
    Json out = Json::object();
    out["enabled"] = true;
    out["primary"] = jsonTexture(s.primary.texture);
    out["secondary"] = jsonTexture(s.secondary.texture);
    out["priMin"] = s.primary.minFilter;
    out["priMag"] = s.primary.magFilter;
    out["secMin"] = s.secondary.minFilter;
    out["secMag"] = s.secondary.magFilter;
    out["priWrapU"] = s.primary.wrapU;
    out["priWrapV"] = s.primary.wrapV;
    out["secWrapU"] = s.secondary.wrapU;
    out["secWrapV"] = s.secondary.wrapV;
    out["priAnisotropy"] = jsonNumber(s.primary.anisotropy);
    out["secAnisotropy"] = jsonNumber(s.secondary.anisotropy);
    out["priBias"] = jsonNumber(s.primary.bias);
    out["secBias"] = jsonNumber(s.secondary.bias);
    return out;
}

template <class Part, class Print> Json optionalPart(const std::optional<Part>& part, Print print)
{
    return part ? print(*part) : Json(nullptr);
}

} // namespace

Json jsonMaterial(const Material& m)
{
    Json out = Json::object();
    out["depth"] = optionalPart(m.depth, jsonDepth);
    out["blend"] = optionalPart(m.blend, jsonBlend);
    out["vertexProgram"] = jsonProgram(m.vertexProgram);
    out["pixelProgram"] = jsonProgram(m.pixelProgram);
    out["stages"] = optionalPart(m.stages, jsonStages);
    out["cull"] = optionalPart(m.cull, jsonCull);
    out["combiners"] = m.combiners ? Json(true) : Json(nullptr);
    return out;
}

Json jsonPasses(const PassList& passes)
{
    Json out = Json::array();
    for (const Material& pass : passes)
        out.push_back(jsonMaterial(pass));
    return out;
}

Json jsonPrograms(const std::vector<std::unique_ptr<ShaderProgram>>& programs)
{
    Json out = Json::array();
    for (const auto& program : programs)
        out.push_back(jsonProgram(program.get()));
    return out;
}
