#pragma once

#include "shell/GlHandle.h"

#include <GL/gl.h>

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class MappedTextFile;
struct DemoPaths;

// One GL texture per distinct path. Move-only; the GL name is deleted with the object, so the
// cache must be destroyed while the GL context is still current.
struct Texture {
    explicit Texture(std::string key) : name(std::move(key)) {}

    std::uint8_t components = 0; // bytes per pixel of the source image; 3 for a cube map
    std::uint16_t height = 0;    // texels (cube map: face size)
    std::uint16_t width = 0;     // texels (cube map: face size)
    GlHandle glName;
    std::string name;              // the full path that is the cache key
    GLenum target = GL_TEXTURE_2D; // GL_TEXTURE_2D, rectTextureTarget or GL_TEXTURE_CUBE_MAP_ARB
    float maxAnisotropy = 1.0f;    // the most any stage samples it with (image/Anisotropy.h)
};

// Texture names to GL textures, each read and uploaded once. References handed out stay valid
// for the cache's lifetime. A failed load throws and leaves the cache unchanged.
class TextureCache {
public:
    // anisotropySetting: the user's ceiling on anisotropic filtering, for every texture uploaded
    // here; without one the driver's own (image/Anisotropy.h).
    explicit TextureCache(const DemoPaths& paths,
                          std::optional<float> anisotropySetting = std::nullopt);
    TextureCache(const TextureCache&) = delete;
    TextureCache& operator=(const TextureCache&) = delete;

    // rootDir/texturesDir/name + ".jpg" when that file exists, else + ".tga".
    Texture& getByName(const std::string& name);
    // The next word of a material file, extension included, below rootDir/texturesDir.
    Texture& getByFileName(std::istream& materialStream);
    // A scene file's image line: four words skipped, then a quoted name relative to rootDir.
    Texture& getFromSceneToken(MappedTextFile& sceneFile);
    // The shared lookup once the full path is built: existing entry, cube map or image file.
    Texture& findOrCreate(const std::string& key);

    std::size_t count() const { return textures.size(); }
    // Every texture, in load order.
    template <typename Visit> void forEach(Visit visit) const
    {
        for (const auto& texture : textures)
            visit(*texture);
    }

private:
    const DemoPaths& paths;
    std::optional<float> anisotropySetting;
    std::vector<std::unique_ptr<Texture>> textures;
};

// Binds on the active unit, disabling exactly the targets that take precedence over the
// texture's own (rectangle and cube map for 2D, cube map for rectangle), then enabling its target.
void bindTexture(const Texture& texture);
// Makes unit 0 or 1 active (it stays so) and binds the texture there.
void bindTextureUnit(const Texture& texture, int unit);
// Makes the unit active and disables the rectangle, cube-map and 2D targets on it.
void disableTextureUnit(int unit);
// Identity projection and modelview (left so), fog, lighting and depth test off: the state of a
// screen quad, set before a pass's emulated combiners pick their variant.
void setScreenQuadState();
// One quad over the whole viewport (under setScreenQuadState) showing the bound texture;
// rectangle textures get texel coordinates.
void drawScreenQuad(const Texture& texture);

// Draws "PleaseWaitLoading" over the viewport; the caller clears and swaps around it.
void drawLoadingScreen(TextureCache& cache);
