#include "image/TextureSampling.h"

#include "image/TextureCache.h"
#include "shell/GlExtensions.h"

#include <GL/glext.h>

#include <array>

namespace {

// The bindings of the active unit, which binding a texture to read or set its parameters
// replaces. Not glPushAttrib(GL_TEXTURE_BIT): its pop puts back the parameters of the textures
// bound at the push, undoing what was set in between.
class ActiveUnitBindings {
public:
    ActiveUnitBindings()
    {
        for (std::size_t i = 0; i < targets.size(); ++i)
            if (targets[i].binding != 0)
                glGetIntegerv(targets[i].binding, &names[i]);
    }
    ~ActiveUnitBindings()
    {
        for (std::size_t i = 0; i < targets.size(); ++i)
            if (targets[i].binding != 0)
                glBindTexture(targets[i].target, static_cast<GLuint>(names[i]));
    }
    ActiveUnitBindings(const ActiveUnitBindings&) = delete;
    ActiveUnitBindings& operator=(const ActiveUnitBindings&) = delete;

private:
    struct Target {
        GLenum target;
        GLenum binding; // 0 where the driver lacks the target
    };
    const std::array<Target, 3> targets{{
        {GL_TEXTURE_2D, GL_TEXTURE_BINDING_2D},
        {GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_BINDING_CUBE_MAP_ARB},
        {GL_TEXTURE_RECTANGLE_NV, rectTextureTarget == GL_TEXTURE_RECTANGLE_NV
                                      ? GLenum{GL_TEXTURE_BINDING_RECTANGLE_NV}
                                      : GLenum{0}},
    }};
    std::array<GLint, 3> names{};
};

bool hasAnisotropy()
{
    return hasGlExtension("GL_EXT_texture_filter_anisotropic");
}

} // namespace

TextureSampling::TextureSampling(const TextureCache& cache)
{
    const ActiveUnitBindings bindings;
    const bool anisotropy = hasAnisotropy();
    cache.forEach([&](const Texture& texture) {
        Saved entry;
        entry.texture = &texture;
        glBindTexture(texture.target, texture.glName.get());
        glGetTexParameteriv(texture.target, GL_TEXTURE_MIN_FILTER, &entry.minFilter);
        glGetTexParameteriv(texture.target, GL_TEXTURE_MAG_FILTER, &entry.magFilter);
        glGetTexParameteriv(texture.target, GL_TEXTURE_WRAP_S, &entry.wrapS);
        glGetTexParameteriv(texture.target, GL_TEXTURE_WRAP_T, &entry.wrapT);
        if (anisotropy)
            glGetTexParameterfv(texture.target, GL_TEXTURE_MAX_ANISOTROPY_EXT, &entry.anisotropy);
        saved.push_back(entry);
    });
}

void TextureSampling::restore() const
{
    const ActiveUnitBindings bindings;
    const bool anisotropy = hasAnisotropy();
    for (const Saved& entry : saved) {
        const GLenum target = entry.texture->target;
        glBindTexture(target, entry.texture->glName.get());
        glTexParameteri(target, GL_TEXTURE_MIN_FILTER, entry.minFilter);
        glTexParameteri(target, GL_TEXTURE_MAG_FILTER, entry.magFilter);
        glTexParameteri(target, GL_TEXTURE_WRAP_S, entry.wrapS);
        glTexParameteri(target, GL_TEXTURE_WRAP_T, entry.wrapT);
        if (anisotropy)
            glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, entry.anisotropy);
    }
}
