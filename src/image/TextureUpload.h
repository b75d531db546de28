#pragma once

#include <cstdint>
#include <string>

struct Image;
struct Texture;

// Face size named by a cube-map key ".../NormCubeMap<size>.<ext>", 256 for ".../NormCubeMap.<ext>",
// 0 for any other key (and for size 0, which is then read as an image file). A size that is not
// a power of two, or one no texture can hold, throws "Wrong NormCubeMap size".
std::uint32_t cubeMapSize(const std::string& key);

// Power-of-two sizes become mipmapped 2D textures, others rectangle textures (or non-power-of-two
// 2D textures where the driver has no rectangle target). "Unrecognized Image" for components
// outside 1 to 4. Leaves unit 0 active with the texture bound and its target enabled.
void uploadImage(Texture& texture, const Image& image);

// The normalisation cube map of face size `size`: each texel holds its direction, unit length,
// mapped from -1..1 to bytes 1..255.
void uploadNormCubeMap(Texture& texture, std::uint32_t size);

bool isPowerOfTwo(std::uint32_t value);
