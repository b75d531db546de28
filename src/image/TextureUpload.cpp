#include "image/TextureUpload.h"

#include "image/Image.h"
#include "image/TextureCache.h"
#include "shell/GlExtensions.h"
#include "shell/LoadError.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::string_view cubeMapPrefix = "NormCubeMap";

struct PixelFormats {
    GLint internalFormat;
    GLenum pixelFormat;
};

PixelFormats formatsFor(std::uint8_t components)
{
    switch (components) {
    case 1:
        return {GL_LUMINANCE8, GL_LUMINANCE};
    case 2:
        return {GL_LUMINANCE8_ALPHA8, GL_LUMINANCE_ALPHA};
    case 3:
        return {GL_RGB8, GL_BGR_EXT};
    case 4:
        return {GL_RGBA8, GL_BGRA_EXT};
    default:
        throw LoadError("Unrecognized Image");
    }
}

void setMaxAnisotropy(const Texture& texture)
{
    glTexParameterf(texture.target, GL_TEXTURE_MAX_ANISOTROPY_EXT, texture.maxAnisotropy);
}

void createAndBind(Texture& texture, GLenum target)
{
    texture.target = target;
    texture.glName = newTexture();
    ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    bindTexture(texture);
}

bool hasRectangleTarget()
{
    return rectTextureTarget == GL_TEXTURE_RECTANGLE_NV;
}

bool hasNonPowerOfTwo2D()
{
    return hasGlExtension("GL_ARB_texture_non_power_of_two") || hasGlVersion(2, 0);
}

} // namespace

bool isPowerOfTwo(std::uint32_t value)
{
    return (value & (value - 1)) == 0;
}

std::uint32_t cubeMapSize(const std::string& key)
{
    if (key.size() < 17)
        return 0;
    const std::size_t slash = key.rfind('/');
    const std::string_view file = slash == std::string::npos
                                      ? std::string_view(key)
                                      : std::string_view(key).substr(slash + 1);
    if (file.size() < 15 || file.substr(0, cubeMapPrefix.size()) != cubeMapPrefix)
        return 0;
    if (file.size() == 15)
        return 256;
    // A leading-number conversion: "NormCubeMap64x.tga" is 64, "NormCubeMapab.tga" is 0.
    const std::string digits(file.substr(cubeMapPrefix.size(), file.size() - 15));
    const long size = std::strtol(digits.c_str(), nullptr, 10);
    // strtol saturates, so a long run of digits is as large as it looks rather than wrapping.
    if (size > static_cast<long>(maxNormCubeMapSize))
        throw LoadError("NormCubeMap size " + digits + " in " + key + " is above " +
                        std::to_string(maxNormCubeMapSize) + " texels a side");
    if (size < 0 || !isPowerOfTwo(static_cast<std::uint32_t>(size)))
        throw LoadError("Wrong NormCubeMap size");
    return static_cast<std::uint32_t>(size);
}

ImageLimits textureImageLimits()
{
    GLint max2D = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max2D);
    // Without a rectangle target, other sizes become 2D textures and share the 2D limit.
    GLint maxOther = max2D;
    if (hasRectangleTarget())
        glGetIntegerv(GL_MAX_RECTANGLE_TEXTURE_SIZE_NV, &maxOther);
    ImageLimits limits;
    if (max2D > 0)
        limits.maxPowerOfTwoSide = static_cast<std::uint32_t>(max2D);
    if (maxOther > 0)
        limits.maxOtherSide = static_cast<std::uint32_t>(maxOther);
    return limits;
}

void uploadImage(Texture& texture, const Image& image)
{
    const PixelFormats formats = formatsFor(image.components);
    texture.components = image.components;
    texture.width = image.width;
    texture.height = image.height;
    const bool powerOfTwo = isPowerOfTwo(image.width) && isPowerOfTwo(image.height);

    if (!powerOfTwo && hasRectangleTarget()) {
        createAndBind(texture, rectTextureTarget);
        glTexParameteri(texture.target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(texture.target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(texture.target, GL_GENERATE_MIPMAP_SGIS, GL_FALSE);
    } else {
        // Without a rectangle target the placeholder enum would upload nothing at all; a 2D
        // texture of any size is the one that still shows the picture.
        if (!powerOfTwo && !hasNonPowerOfTwo2D())
            throw LoadError("Texture " + texture.name +
                            " is not a power of two in size and this driver has no rectangle "
                            "or non-power-of-two textures");
        createAndBind(texture, GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        setMaxAnisotropy(texture);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
    }
    glTexImage2D(texture.target, 0, formats.internalFormat, image.width, image.height, 0,
                 formats.pixelFormat, GL_UNSIGNED_BYTE, image.pixels.data());
}

void uploadNormCubeMap(Texture& texture, std::uint32_t size)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_CUBE_MAP_TEXTURE_SIZE_ARB, &maxSize);
    if (maxSize > 0 && size > static_cast<std::uint32_t>(maxSize))
        throw LoadError("NormCubeMap size " + std::to_string(size) + " in " + texture.name +
                        " is above this driver's largest cube map, " + std::to_string(maxSize) +
                        " texels a side");

    texture.components = 3;
    texture.width = static_cast<std::uint16_t>(size);
    texture.height = static_cast<std::uint16_t>(size);
    createAndBind(texture, GL_TEXTURE_CUBE_MAP_ARB);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    setMaxAnisotropy(texture);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);

    const std::size_t s = size;
    const float scale = static_cast<float>(size);
    std::vector<std::uint8_t> face(s * s * 3);
    for (GLenum f = 0; f < 6; ++f) {
        for (std::size_t j = 0; j < s; ++j) {
            for (std::size_t k = 0; k < s; ++k) {
                const float u = (static_cast<float>(k) + 0.5f) / scale * 2.0f - 1.0f;
                const float v = (static_cast<float>(j) + 0.5f) / scale * 2.0f - 1.0f;
                float direction[3];
                switch (f) {
                case 0:
                    direction[0] = 1.0f, direction[1] = -v, direction[2] = -u;
                    break;
                case 1:
                    direction[0] = -1.0f, direction[1] = -v, direction[2] = u;
                    break;
                case 2:
                    direction[0] = u, direction[1] = 1.0f, direction[2] = v;
                    break;
                case 3:
                    direction[0] = u, direction[1] = -1.0f, direction[2] = -v;
                    break;
                case 4:
                    direction[0] = u, direction[1] = -v, direction[2] = 1.0f;
                    break;
                default:
                    direction[0] = -u, direction[1] = -v, direction[2] = -1.0f;
                    break;
                }
                const float inverseLength =
                    1.0f / std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] +
                                     direction[2] * direction[2]);
                std::uint8_t* texel = face.data() + (j * s + k) * 3;
                for (int c = 0; c < 3; ++c)
                    texel[c] =
                        static_cast<std::uint8_t>(direction[c] * inverseLength * 127.0f + 128.0f);
            }
        }
        // The generated faces are plain RGB, unlike images, which arrive blue first.
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + f, 0, GL_RGB8, static_cast<GLsizei>(s),
                     static_cast<GLsizei>(s), 0, GL_RGB, GL_UNSIGNED_BYTE, face.data());
    }
}
