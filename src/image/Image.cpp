#include "image/Image.h"

#include "shell/LoadError.h"

namespace {

bool isPowerOfTwoSide(std::uint64_t value)
{
    return (value & (value - 1)) == 0;
}

} // namespace

void checkImageSize(std::uint64_t width, std::uint64_t height, const ImageLimits& limits,
                    const std::string& path)
{
    // The side limit that applies is the one of the texture target the size will choose.
    const bool powerOfTwo = isPowerOfTwoSide(width) && isPowerOfTwoSide(height);
    const std::uint64_t maxSide = powerOfTwo ? limits.maxPowerOfTwoSide : limits.maxOtherSide;
    if (width <= maxSide && height <= maxSide && width * height <= limits.maxPixels)
        return;
    throw LoadError("Image " + path + " is " + std::to_string(width) + " x " +
                    std::to_string(height) + " pixels, more than a texture may have (at most " +
                    std::to_string(maxSide) + " a side and " + std::to_string(limits.maxPixels) +
                    " pixels)");
}

Image readImage(const std::string& path, const ImageLimits& limits)
{
    const char selector = path.size() >= 2 ? path[path.size() - 2] : '\0';
    if (selector == 'd' || selector == 'D') {
        Image image;
        if (!readHdrImage(path, image, limits))
            throw LoadError("Cannot read HDR image " + path);
        return image;
    }
    if (selector == 'p' || selector == 'P')
        return readJpegImage(path, limits);
    return readTgaImage(path, limits);
}
