#include "lwo/ChunkReader.h"

#include "shell/LoadError.h"

#include <bit>
#include <utility>

namespace {

constexpr std::uint8_t longIndexMarker = 0xFF;

} // namespace

ChunkReader::ChunkReader(std::string_view data, const std::string& filePath, std::string name,
                         std::size_t offset)
    : bytes(data), path(&filePath), chunkName(std::move(name)), fileOffset(offset)
{
}

void ChunkReader::failAt(std::size_t at, const std::string& what) const
{
    throw LoadError("Cannot read LightWave object " + *path + ": " + chunkName + " chunk at byte " +
                    std::to_string(fileOffset + at) + ": " + what);
}

void ChunkReader::need(std::size_t count, const char* what) const
{
    if (count > remaining())
        fail(std::string(what) + " needs " + std::to_string(count) + " bytes, " +
             std::to_string(remaining()) + " left");
}

std::uint8_t ChunkReader::u1()
{
    need(1, "a byte");
    return static_cast<std::uint8_t>(bytes[position++]);
}

std::uint16_t ChunkReader::u2()
{
    need(2, "a 2-byte value");
    const auto hi = static_cast<std::uint8_t>(bytes[position]);
    const auto lo = static_cast<std::uint8_t>(bytes[position + 1]);
    position += 2;
    return static_cast<std::uint16_t>((hi << 8) | lo);
}

std::uint32_t ChunkReader::u4()
{
    need(4, "a 4-byte value");
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[position++]);
    return value;
}

float ChunkReader::f4()
{
    need(4, "a float");
    return std::bit_cast<float>(u4());
}

void ChunkReader::f4s(std::size_t count, std::vector<float>& out)
{
    if (count > remaining() / 4)
        need(count * 4, "a run of floats");
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data() + position);
    for (std::size_t i = 0; i < count; ++i, data += 4)
        out.push_back(std::bit_cast<float>(std::uint32_t(data[0]) << 24 |
                                           std::uint32_t(data[1]) << 16 |
                                           std::uint32_t(data[2]) << 8 | std::uint32_t(data[3])));
    position += count * 4;
}

std::string ChunkReader::id4()
{
    need(4, "an ID");
    std::string id(bytes.substr(position, 4));
    position += 4;
    return id;
}

std::uint32_t ChunkReader::vx()
{
    need(1, "an index");
    if (static_cast<std::uint8_t>(bytes[position]) != longIndexMarker)
        return u2();
    need(4, "a 4-byte index");
    return u4() & 0x00FFFFFFu;
}

std::string ChunkReader::s0()
{
    const std::size_t end = bytes.find('\0', position);
    if (end == std::string_view::npos)
        fail("a string has no terminating NUL");
    std::string text(bytes.substr(position, end - position));
    position = end + 1;
    // The string and its NUL take an even number of bytes.
    if ((text.size() + 1) % 2 != 0 && position < bytes.size())
        ++position;
    return text;
}

void ChunkReader::skip(std::size_t count)
{
    need(count, "skipped data");
    position += count;
}

ChunkReader ChunkReader::chunk(std::size_t lengthBytes)
{
    const std::size_t start = position;
    const std::string id = id4();
    for (char c : id)
        if (c < 0x20 || c > 0x7E)
            fail("a chunk ID holds a byte that is not printable");
    const std::uint32_t length = lengthBytes == 2 ? u2() : u4();
    // Top-level chunks go by their own ID; sub-chunks carry their parents' ("SURF/BLOK").
    const std::string childName = chunkName == formChunkName ? id : chunkName + "/" + id;
    if (length > remaining())
        ChunkReader(bytes.substr(start), *path, childName, fileOffset + start)
            .fail("length " + std::to_string(length) + " runs past the end of " +
                  (chunkName == formChunkName ? std::string("the file") : chunkName) + " (" +
                  std::to_string(remaining()) + " bytes left)");
    ChunkReader child(bytes.substr(position, length), *path, childName, fileOffset + position);
    position += length;
    if (length % 2 != 0 && position < bytes.size())
        ++position;
    return child;
}

ChunkReader ChunkReader::part(std::size_t count)
{
    need(count, "a part");
    ChunkReader piece(bytes.substr(position, count), *path, chunkName, fileOffset + position);
    position += count;
    return piece;
}

ChunkReader ChunkReader::formBody(std::string& type)
{
    type = id4();
    constexpr std::size_t idLength = 4;
    std::string name = chunkName;
    if (name.size() >= idLength && name.compare(name.size() - idLength, idLength, "FORM") == 0)
        name.replace(name.size() - idLength, idLength, type);
    ChunkReader body(bytes.substr(position), *path, name, fileOffset + position);
    position = bytes.size();
    return body;
}

std::uint32_t chunkId(std::string_view id)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | (i < id.size() ? static_cast<std::uint8_t>(id[i]) : 0x20u);
    return value;
}
