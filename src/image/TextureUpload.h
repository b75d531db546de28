#pragma once

#include "image/Image.h"

#include <cstdint>
#include <string>

struct Texture;

// Generated cube maps are built texel by texel on the CPU: six faces of 4096 texels a side
// already take seconds and hundreds of megabytes, for a lookup table that gains nothing from
// that precision.
constexpr std::uint32_t maxNormCubeMapSize = 2048;

// Face size named by a cube-map key ".../NormCubeMap<size>.<ext>", 256 for ".../NormCubeMap.<ext>",
// 0 for any other key (and for size 0, which is then read as an image file). A size that is not
// a power of two throws "Wrong NormCubeMap size"; one above maxNormCubeMapSize is a loading error
// naming the key.
std::uint32_t cubeMapSize(const std::string& key);

// The picture sizes the current driver can hold as textures, for the image readers to refuse
// larger pictures before decoding them.
ImageLimits textureImageLimits();

// Power-of-two sizes become mipmapped 2D textures, others rectangle textures (or non-power-of-two
// 2D textures where the driver has no rectangle target), mipmapped ones filtered with the texture's
// maxAnisotropy. "Unrecognized Image" for components
// outside 1 to 4. Leaves unit 0 active with the texture bound and its target enabled.
void uploadImage(Texture& texture, const Image& image);

// The normalisation cube map of face size `size`: each texel holds its direction, unit length,
// mapped from -1..1 to bytes 1..255. A size above the driver's largest cube map is a loading
// error naming the texture, raised before anything is built.
void uploadNormCubeMap(Texture& texture, std::uint32_t size);

bool isPowerOfTwo(std::uint32_t value);
