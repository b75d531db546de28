#include "image/Image.h"

#include "shell/LoadError.h"
#include "shell/MapFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t maxResolutionLine = 200;

// A byte cursor over the mapped file; every read checks the end first.
struct ByteReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;

    bool atEnd() const { return position >= size; }
    int next() { return atEnd() ? -1 : data[position++]; }
    bool read(std::uint8_t* out, std::size_t count)
    {
        if (size - position < count) {
            position = size;
            return false;
        }
        std::memcpy(out, data + position, count);
        position += count;
        return true;
    }
};

// Flat scanline from pixel `start`: RGBE quadruples, where 1,1,1,n repeats the previous pixel
// n << shift times and consecutive markers supply the next higher byte of the count.
bool readFlat(ByteReader& in, std::uint8_t* line, std::size_t width, std::size_t start)
{
    unsigned shift = 0;
    std::size_t i = start;
    while (i < width) {
        std::uint8_t* pixel = line + i * 4;
        if (!in.read(pixel, 4))
            return false;
        if (pixel[0] == 1 && pixel[1] == 1 && pixel[2] == 1) {
            const std::size_t wanted =
                shift < 32 ? std::size_t{pixel[3]} << shift : width; // past any scanline
            const std::size_t count = std::min(wanted, width - i);
            // A marker in the first place has no pixel to repeat: the run is black.
            std::uint8_t previous[4] = {0, 0, 0, 0};
            if (i > 0)
                std::memcpy(previous, pixel - 4, 4);
            for (std::size_t k = 0; k < count; ++k)
                std::memcpy(line + (i + k) * 4, previous, 4);
            i += count;
            shift += 8;
        } else {
            ++i;
            shift = 0;
        }
    }
    return true;
}

// Run-length encoded by planes red, green, blue, exponent. A run or literal that would pass the
// end of the scanline ends its plane there; a literal's surplus bytes are still consumed.
bool readPlanes(ByteReader& in, std::uint8_t* line, std::size_t width)
{
    for (std::size_t channel = 0; channel < 4; ++channel) {
        std::size_t i = 0;
        while (i < width) {
            const int count = in.next();
            if (count < 0)
                return false;
            if (count > 128) {
                const int value = in.next();
                if (value < 0)
                    return false;
                const std::size_t run = std::min<std::size_t>(std::size_t(count - 128), width - i);
                for (std::size_t k = 0; k < run; ++k)
                    line[(i + k) * 4 + channel] = static_cast<std::uint8_t>(value);
                i += run;
            } else {
                const std::size_t literal = static_cast<std::size_t>(count);
                const std::size_t kept = std::min(literal, width - i);
                for (std::size_t k = 0; k < literal; ++k) {
                    const int value = in.next();
                    if (value < 0)
                        return false;
                    if (k < kept)
                        line[(i + k) * 4 + channel] = static_cast<std::uint8_t>(value);
                }
                i += kept;
            }
        }
    }
    return true;
}

bool readScanline(ByteReader& in, std::uint8_t* line, std::size_t width)
{
    if (width < 8 || width > 0x7fff)
        return readFlat(in, line, width, 0);
    const int first = in.next();
    if (first < 0)
        return false;
    if (first != 2) {
        --in.position;
        return readFlat(in, line, width, 0);
    }
    std::uint8_t rest[3];
    if (!in.read(rest, 3))
        return false;
    // The width bytes after 2, 2 are not compared with the header's width.
    if (rest[0] == 2 && rest[1] < 128)
        return readPlanes(in, line, width);
    line[0] = 2;
    std::memcpy(line + 1, rest, 3);
    return readFlat(in, line, width, 1);
}

} // namespace

bool readHdrImage(const std::string& path, Image& image, const ImageLimits& limits)
{
    const FileMapping mapping = mapFile(path);
    ByteReader in{reinterpret_cast<const std::uint8_t*>(mapping.data()), mapping.size()};

    constexpr std::string_view magic = "#?RADIANCE";
    std::uint8_t head[10];
    if (!in.read(head, magic.size()) || std::memcmp(head, magic.data(), magic.size()) != 0)
        return false;
    in.next(); // the magic line's own line end, never half of the empty-line pair

    // Header lines are not interpreted; an empty line ends them.
    int previous = -1;
    for (;;) {
        const int byte = in.next();
        if (byte < 0)
            return false;
        if (byte == '\n' && previous == '\n')
            break;
        previous = byte;
    }

    std::string resolution;
    for (;;) {
        const int byte = in.next();
        if (byte < 0)
            break;
        resolution += static_cast<char>(byte);
        if (byte == '\n')
            break;
        if (resolution.size() > maxResolutionLine)
            return false;
    }
    long height = 0;
    long width = 0;
    if (std::sscanf(resolution.c_str(), "-Y %ld +X %ld", &height, &width) != 2)
        return false;
    if (height < 0 || width < 0)
        return false;
    // Data that ends early still gives the whole picture, so the buffer is sized by the header
    // alone: only the limits keep a short file from claiming gigabytes.
    checkImageSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), limits,
                   path);
    if (height > 0xffff || width > 0xffff)
        throw LoadError("HDR image " + path + " is wider or taller than 65535 pixels");

    image.width = static_cast<std::uint16_t>(width);
    image.height = static_cast<std::uint16_t>(height);
    image.components = 4;
    image.pixels.assign(image.byteCount(), 0);
    const std::size_t rowBytes = std::size_t{image.width} * 4;
    std::vector<std::uint8_t> line(rowBytes);

    for (std::size_t scanline = 0; scanline < image.height; ++scanline) {
        if (!readScanline(in, line.data(), image.width))
            break; // data ended early: the rows below stay zero
        // The file's top scanline becomes the last row; RGBE turns into BGRE for the upload.
        std::uint8_t* row = image.pixels.data() + (image.height - 1 - scanline) * rowBytes;
        for (std::size_t x = 0; x < image.width; ++x) {
            row[x * 4 + 0] = line[x * 4 + 2];
            row[x * 4 + 1] = line[x * 4 + 1];
            row[x * 4 + 2] = line[x * 4 + 0];
            row[x * 4 + 3] = line[x * 4 + 3];
        }
    }
    return true;
}
