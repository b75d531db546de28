#include "image/Image.h"

#include "shell/LoadError.h"
#include "shell/MapFile.h"

#include <cstring>

namespace {

constexpr std::size_t tgaHeaderSize = 18;

std::uint16_t littleEndian16(const unsigned char* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

} // namespace

Image readTgaImage(const std::string& path, const ImageLimits& limits)
{
    const FileMapping file = mapFile(path);
    const std::string_view bytes(file.data(), file.size());
    if (bytes.size() < tgaHeaderSize)
        throw LoadError("TGA header ends early in " + path);
    const auto* header = reinterpret_cast<const unsigned char*>(bytes.data());

    // Only the ID length, size and depth are read: no colour map, no run-length packets and no
    // flip by the origin bits, so the bytes reach GL exactly as the file holds them.
    Image image;
    image.width = littleEndian16(header + 12);
    image.height = littleEndian16(header + 14);
    image.components = static_cast<std::uint8_t>(header[16] / 8);
    if (image.components == 0)
        throw LoadError("TGA pixel depth below 8 bits in " + path);
    checkImageSize(image.width, image.height, limits, path);

    const std::size_t pixelStart = tgaHeaderSize + header[0];
    const std::size_t pixelBytes = image.byteCount();
    if (pixelStart > bytes.size() || bytes.size() - pixelStart < pixelBytes)
        throw LoadError("TGA pixel data ends early in " + path);
    image.pixels.resize(pixelBytes);
    if (pixelBytes > 0)
        std::memcpy(image.pixels.data(), header + pixelStart, pixelBytes);
    return image;
}
