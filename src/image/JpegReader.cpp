#include "image/Image.h"

#include "jpeg/JpegCodec.h"
#include "shell/LoadError.h"
#include "shell/MapFile.h"

namespace {

// Coefficients are two bytes for each sample of each channel; a picture that passes the pixel
// limit needs at most this much beside the output, plus libjpeg's row and table buffers.
constexpr std::size_t coefficientBytesPerPixel = 3 * 2;
constexpr std::size_t codecWorkingBytes = std::size_t{32} << 20;

void decodeOrThrow(JpegDecoder& decoder, const ImageLimits& limits, std::uint8_t* buffer,
                   std::size_t size, int channels, const char* failure)
{
    decoder.maxMemory =
        static_cast<std::size_t>(limits.maxPixels) * coefficientBytesPerPixel + codecWorkingBytes;
    decoder.outputWidth = decoder.width;
    decoder.outputHeight = -decoder.height; // top row first, at the lowest address
    decoder.outputChannels = channels;
    decoder.outputPadding = 0;
    decoder.outputBuffer = buffer;
    decoder.outputSize = size;
    decoder.outputColour = channels == 1 ? JpegColour::Greyscale : JpegColour::Bgr;
    // A colour picture serving as alpha gives its luminance.
    decoder.sourceColour = decoder.channels == 1 ? JpegColour::Greyscale : JpegColour::YCbCr;
    if (jpegReadWholeImage(decoder) != 0)
        throw LoadError(failure);
    if (jpegFree(decoder) != 0)
        throw LoadError("Cannot IJL free");
}

void openOrThrow(JpegDecoder& decoder, const std::string& path, const char* failure)
{
    if (jpegInit(decoder) != 0)
        throw LoadError("Cannot IJL init");
    decoder.sourceFile = path;
    if (jpegReadParams(decoder) != 0)
        throw LoadError(failure);
}

// Pictures with other channel counts (CMYK, YCCK) have no byte order the upload understands.
void requireGreyOrColour(const JpegDecoder& decoder, const std::string& path)
{
    if (decoder.channels != 1 && decoder.channels != 3)
        throw LoadError("Unsupported JPEG channel count in " + path);
}

std::size_t pixelCount(const JpegDecoder& decoder)
{
    return static_cast<std::size_t>(decoder.width) * static_cast<std::size_t>(decoder.height);
}

// Decided from the header, before a byte of the picture is decoded.
void requireSize(const JpegDecoder& decoder, const ImageLimits& limits, const std::string& path)
{
    checkImageSize(static_cast<std::uint64_t>(decoder.width),
                   static_cast<std::uint64_t>(decoder.height), limits, path);
    // Image sizes are 16-bit (libjpeg itself refuses anything over 65500).
    if (decoder.width > 0xffff || decoder.height > 0xffff)
        throw LoadError("JPEG image " + path + " is wider or taller than 65535 pixels");
}

} // namespace

Image readJpegImage(const std::string& path, const ImageLimits& limits)
{
    // wall.jpg -> wall.a.jpg: the last three characters give way to "a.jpg".
    std::string alphaPath;
    if (path.size() >= 3)
        alphaPath = path.substr(0, path.size() - 3) + "a.jpg";
    Image image;

    if (alphaPath.empty() || !fileExists(alphaPath)) {
        JpegDecoder decoder;
        openOrThrow(decoder, path, "Cannot IJL readparams");
        requireGreyOrColour(decoder, path);
        requireSize(decoder, limits, path);
        image.width = static_cast<std::uint16_t>(decoder.width);
        image.height = static_cast<std::uint16_t>(decoder.height);
        image.components = static_cast<std::uint8_t>(decoder.channels);
        image.pixels.resize(image.byteCount());
        decodeOrThrow(decoder, limits, image.pixels.data(), image.pixels.size(), decoder.channels,
                      "Cannot IJL readwholeimage");
        return image;
    }

    std::vector<std::uint8_t> alpha;
    {
        JpegDecoder decoder;
        openOrThrow(decoder, alphaPath, "Cannot IJL alpha readparams");
        requireSize(decoder, limits, alphaPath);
        image.width = static_cast<std::uint16_t>(decoder.width);
        image.height = static_cast<std::uint16_t>(decoder.height);
        alpha.resize(pixelCount(decoder));
        decodeOrThrow(decoder, limits, alpha.data(), alpha.size(), 1,
                      "Cannot IJL alpha readwholeimage");
    }

    std::vector<std::uint8_t> colour;
    int channels = 0;
    {
        JpegDecoder decoder;
        openOrThrow(decoder, path, "Cannot IJL readparams");
        requireGreyOrColour(decoder, path);
        // The interleave pairs pixels one for one, so the two pictures must agree.
        if (decoder.width != image.width || decoder.height != image.height)
            throw LoadError("JPEG alpha image " + alphaPath + " differs in size from " + path);
        channels = decoder.channels;
        colour.resize(pixelCount(decoder) * static_cast<std::size_t>(channels));
        decodeOrThrow(decoder, limits, colour.data(), colour.size(), channels,
                      "Cannot IJL readwholeimage");
    }

    image.components = static_cast<std::uint8_t>(channels + 1);
    image.pixels.resize(image.byteCount());
    std::uint8_t* out = image.pixels.data();
    const std::uint8_t* in = colour.data();
    for (std::uint8_t alphaByte : alpha) {
        for (int c = 0; c < channels; ++c)
            *out++ = *in++;
        *out++ = alphaByte;
    }
    return image;
}
