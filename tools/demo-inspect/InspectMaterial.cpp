#include "InspectMaterial.h"
#include "Json.h"

#include "image/TextureCache.h"
#include "material/ShaderProgram.h"

namespace {

const std::string off = "{\"enabled\": false}";

std::string field(const char* key, const std::string& value, bool first = false)
{
    return std::string(first ? "" : ", ") + "\"" + key + "\": " + value;
}

std::string glEnum(GLenum value)
{
    return std::to_string(value);
}

std::string jsonProgram(const ShaderProgram* program)
{
    if (!program)
        return "null";
    return "{" + field("name", jsonString(program->name), true) +
           field("target", glEnum(program->target)) + "}";
}

std::string jsonDepth(const DepthState& depth)
{
    if (!depth.enabled)
        return off;
    return "{" + field("enabled", "true", true) +
           field("writeMask", depth.writeMask ? "true" : "false") +
           field("func", glEnum(depth.func)) + "}";
}

std::string jsonBlend(const BlendState& blend)
{
    if (!blend.enabled)
        return off;
    std::string colour = "[";
    for (std::size_t i = 0; i < blend.constColour.size(); ++i)
        colour += (i ? ", " : "") + jsonNumber(blend.constColour[i]);
    return "{" + field("enabled", "true", true) + field("equation", glEnum(blend.equation)) +
           field("srcFactor", glEnum(blend.srcFactor)) +
           field("dstFactor", glEnum(blend.dstFactor)) + field("constColour", colour + "]") + "}";
}

std::string jsonCull(const CullState& cull)
{
    if (!cull.enabled)
        return off;
    return "{" + field("enabled", "true", true) + field("frontFace", glEnum(cull.frontFace)) + "}";
}

std::string jsonTexture(const Texture* texture)
{
    return texture ? jsonString(texture->name) : "null";
}

std::string jsonStages(const TextureStages& s)
{
    if (!s.enabled)
        return off;
    return "{" + field("enabled", "true", true) + field("primary", jsonTexture(s.primary)) +
           field("secondary", jsonTexture(s.secondary)) + field("priMin", glEnum(s.priMin)) +
           field("priMag", glEnum(s.priMag)) + field("secMin", glEnum(s.secMin)) +
           field("secMag", glEnum(s.secMag)) + field("priWrapU", glEnum(s.priWrapU)) +
           field("priWrapV", glEnum(s.priWrapV)) + field("secWrapU", glEnum(s.secWrapU)) +
           field("secWrapV", glEnum(s.secWrapV)) +
           field("priAnisotropy", jsonNumber(s.priAnisotropy)) +
           field("secAnisotropy", jsonNumber(s.secAnisotropy)) +
           field("priBias", jsonNumber(s.priBias)) + field("secBias", jsonNumber(s.secBias)) + "}";
}

template <class Part, class Print>
std::string optionalPart(const std::optional<Part>& part, Print print)
{
    return part ? print(*part) : "null";
}

} // namespace

std::string jsonMaterial(const Material& m)
{
    return "{" + field("depth", optionalPart(m.depth, jsonDepth), true) +
           field("blend", optionalPart(m.blend, jsonBlend)) +
           field("vertexProgram", jsonProgram(m.vertexProgram)) +
           field("pixelProgram", jsonProgram(m.pixelProgram)) +
           field("stages", optionalPart(m.stages, jsonStages)) +
           field("cull", optionalPart(m.cull, jsonCull)) +
           field("combiners", m.combiners ? "true" : "null") + "}";
}

std::string jsonPasses(const PassList& passes)
{
    std::string out = "[";
    for (std::size_t i = 0; i < passes.size(); ++i)
        out += (i ? ", " : "") + jsonMaterial(passes[i]);
    return out + "]";
}

std::string jsonPrograms(const std::vector<std::unique_ptr<ShaderProgram>>& programs)
{
    std::string out = "[";
    for (std::size_t i = 0; i < programs.size(); ++i)
        out += (i ? ", " : "") + jsonProgram(programs[i].get());
    return out + "]";
}
