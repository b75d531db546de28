#pragma once

#include <GL/gl.h>

#include <vector>

class TextureCache;
struct Texture;

// The sampling parameters of every texture as loading left them. Material stages set filters,
// wrapping and anisotropy on the textures they bind, and those stay with the texture object:
// what a later object drawn without a material sees depends on what was drawn before. Putting
// them back makes a frame drawn after a seek the frame a fresh start draws.
class TextureSampling {
public:
    // Reads the parameters of every texture of the cache (GL current).
    explicit TextureSampling(const TextureCache& cache);

    // Sets them again; bindings, enables and the active unit are left as they were.
    void restore() const;

private:
    struct Saved {
        const Texture* texture = nullptr;
        GLint minFilter = 0;
        GLint magFilter = 0;
        GLint wrapS = 0;
        GLint wrapT = 0;
        GLfloat anisotropy = 1.0f;
    };
    std::vector<Saved> saved;
};
