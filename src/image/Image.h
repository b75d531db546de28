#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One picture between reading and upload: 8-bit pixel bytes in the order the upload hands to GL
// unchanged. By components: 1 luminance; 2 luminance, alpha; 3 blue, green, red; 4 blue, green,
// red, alpha (HDR: blue, green, red mantissas and the shared exponent). Rows are packed.
struct Image {
    std::uint8_t components = 0;      // bytes per pixel
    std::uint16_t height = 0;         // rows
    std::uint16_t width = 0;          // pixels per row
    std::vector<std::uint8_t> pixels; // width * height * components bytes

    std::size_t byteCount() const
    {
        return std::size_t{width} * std::size_t{height} * std::size_t{components};
    }
};

// The largest picture a reader accepts, decided from the header before any pixel is decoded: a
// few bytes of compressed data may declare gigapixels, and decoding them costs seconds and
// gigabytes before anything can tell the picture is useless. The texture cache narrows the sides
// to what the driver can hold; readers used without GL keep what the 16-bit sizes allow.
struct ImageLimits {
    std::uint32_t maxPowerOfTwoSide = 0xffff; // both sides powers of two: a mipmapped 2D texture
    std::uint32_t maxOtherSide = 0xffff;      // any other size: a rectangle texture
    std::uint64_t maxPixels = std::uint64_t{64} << 20;
};

// Throws a loading error naming the file and the size it declares when width x height is beyond
// the limits.
void checkImageSize(std::uint64_t width, std::uint64_t height, const ImageLimits& limits,
                    const std::string& path);

// Chooses the reader by the path's second-to-last character: "d"/"D" HDR, "p"/"P" JPEG, anything
// else TGA. Every failure is a LoadError; an HDR file that cannot be read names the file.
Image readImage(const std::string& path, const ImageLimits& limits = {});

// Uncompressed TGA, pixel bytes copied as they stand (rows in file order, usually bottom first).
// A missing file is "Cannot load file <path> from directory"; a header or pixel data shorter
// than the header promises, or a depth under 8 bits, is a loading error naming the file.
Image readTgaImage(const std::string& path, const ImageLimits& limits = {});

// JPEG, top row first: 1 or 3 components, or 2 or 4 when an alpha picture "<name>.a.jpg" lies
// beside "<name>.jpg". Codec failures throw the "Cannot IJL ..." texts.
Image readJpegImage(const std::string& path, const ImageLimits& limits = {});

// Radiance RGBE ("-Y h +X w" only), the file's first scanline stored as the last row. A missing
// file is "Cannot load file <path> from directory" and a size beyond the limits a loading error;
// false for a wrong magic, a bad resolution line or a header that never ends. Data that ends
// early leaves the remaining rows zero and still gives true.
bool readHdrImage(const std::string& path, Image& image, const ImageLimits& limits = {});
