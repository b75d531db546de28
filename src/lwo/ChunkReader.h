#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The name of the reader over a whole file, whose chunks are named by their IDs alone.
inline constexpr const char* formChunkName = "FORM";

// A big-endian cursor over one chunk of a LightWave object file. Every read is checked against
// the end of the chunk: a count or length that runs past it is a LoadError naming the file, the
// chunk (with the chunks around it, "SURF/BLOK/IMAP") and the offset in the file.
class ChunkReader {
public:
    ChunkReader(std::string_view bytes, const std::string& path, std::string chunkName,
                std::size_t fileOffset = 0);

    std::uint8_t u1();
    std::uint16_t u2();
    std::uint32_t u4();
    float f4();
    // count floats appended to out, checked once.
    void f4s(std::size_t count, std::vector<float>& out);
    std::string id4();
    // An index of 2 bytes, or of 4 when the first byte is 0xFF (that byte is then dropped).
    std::uint32_t vx();
    // A NUL-terminated string and its pad byte when the whole is odd; a missing NUL is an error.
    std::string s0();
    void skip(std::size_t count);

    // The next chunk header (ID4 and a length of 4 bytes, or of 2 for sub-chunks) and a reader
    // over its data; the cursor then stands after the data and its pad byte (a pad missing at
    // the very end is tolerated).
    ChunkReader chunk(std::size_t lengthBytes);

    // The data of a FORM chunk (LWO3 nests them): reads its type ID into type and returns a
    // reader over the rest, named by the type ("SURF/BLOK") instead of "FORM".
    ChunkReader formBody(std::string& type);

    // A reader over the next count bytes, under this chunk's name; the cursor moves past them.
    ChunkReader part(std::size_t count);
    // The bytes from the cursor to the end, for looking ahead without reading.
    std::string_view rest() const { return bytes.substr(position); }

    bool atEnd() const { return position == bytes.size(); }
    std::size_t remaining() const { return bytes.size() - position; }
    const std::string& name() const { return chunkName; }
    const std::string& file() const { return *path; }

    // A LoadError at the current position of this chunk, or at an earlier one (a value's start).
    [[noreturn]] void fail(const std::string& what) const { failAt(position, what); }
    [[noreturn]] void failAt(std::size_t at, const std::string& what) const;
    std::size_t offset() const { return position; }

private:
    void need(std::size_t count, const char* what) const;

    std::string_view bytes;
    const std::string* path;
    std::string chunkName;
    std::size_t fileOffset;
    std::size_t position = 0;
};

// The four characters of a chunk ID as the 32-bit big-endian number they spell, for switches.
constexpr std::uint32_t chunkId(const char (&id)[5])
{
    return (std::uint32_t(std::uint8_t(id[0])) << 24) | (std::uint32_t(std::uint8_t(id[1])) << 16) |
           (std::uint32_t(std::uint8_t(id[2])) << 8) | std::uint32_t(std::uint8_t(id[3]));
}

std::uint32_t chunkId(std::string_view id);
