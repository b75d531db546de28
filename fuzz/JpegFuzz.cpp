// Jpeg pictures through the reader the texture cache uses, with the player's size limits.
#include "FuzzSupport.h"

#include "image/Image.h"
#include "shell/LoadError.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const Image image = readImage(fuzz::writeFile("picture.jpg", data, size));
        if (image.pixels.size() != image.byteCount())
            std::abort();
    } catch (const LoadError&) {
    }
    return 0;
}
