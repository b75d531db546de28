// A colour JPEG with its alpha picture beside it. The input is a two-byte little-endian length
// of the colour file, the colour file, then the alpha file.
#include "FuzzSupport.h"

#include "image/Image.h"
#include "shell/LoadError.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t colourSize =
        std::min<std::size_t>(std::size_t{data[0]} | std::size_t{data[1]} << 8, size - 2);
    const std::uint8_t* colour = data + 2;
    fuzz::writeFile("alpha/rock.a.jpg", colour + colourSize, size - 2 - colourSize);
    try {
        const Image image = readImage(fuzz::writeFile("alpha/rock.jpg", colour, colourSize));
        if (image.pixels.size() != image.byteCount() ||
            (image.components != 2 && image.components != 4))
            std::abort();
    } catch (const LoadError&) {
    }
    return 0;
}
