#include "lwo/ChunkReader.h"
#include "lwo/LwoChunks.h"

#include <algorithm>
#include <optional>

// LWO3 surfaces and clips. No public description of them exists: what is read here is the
// part that finds a surface's colour image, as LWO2 keeps it, with every sub-chunk given a
// 4-byte length and every sub-block (BLOK, its IMAP header, TMAP) nested as a FORM. A form's
// own data (a surface's names, a clip's index, a block header's ordinal) is taken either bare
// at its start, as LWO2 has it, or as the data of its first chunk, and only when the rest is a
// clean run of chunks. What the reader does not understand is listed in LwoObject::unread,
// never guessed at.

namespace {

constexpr std::size_t lengthBytes = 4;
constexpr std::size_t headerBytes = 8;
constexpr std::size_t idLength = 4;

std::uint32_t bigEndian32(std::string_view data, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < lengthBytes; ++i)
        value = value << 8 | static_cast<std::uint8_t>(data[at + i]);
    return value;
}

// True when data is a whole run of chunks: printable IDs, lengths within the data, pad bytes.
bool isChunkRun(std::string_view data)
{
    std::size_t at = 0;
    while (at < data.size()) {
        if (data.size() - at < headerBytes)
            return false;
        for (std::size_t i = 0; i < idLength; ++i)
            if (data[at + i] < 0x20 || data[at + i] > 0x7E)
                return false;
        const std::uint32_t length = bigEndian32(data, at + idLength);
        if (length > data.size() - at - headerBytes)
            return false;
        at += headerBytes + length + length % 2;
    }
    return true;
}

// Bytes taken by `strings` strings with their pads from the start of data, or npos.
std::size_t stringsLength(std::string_view data, int strings)
{
    std::size_t at = 0;
    for (int i = 0; i < strings; ++i) {
        const std::size_t nul = data.find('\0', at);
        if (nul == std::string_view::npos)
            return std::string_view::npos;
        at = nul + 1 + (nul + 1 - at) % 2;
    }
    return std::min(at, data.size());
}

// What a form's own data must hold: its strings (a NUL at least) or a number of bytes.
struct FormData {
    int strings = 0;
    std::size_t bytes = 0;

    std::size_t bareLength(std::string_view data) const
    {
        return strings > 0 ? stringsLength(data, strings) : bytes;
    }
    bool holds(std::string_view data) const
    {
        return strings > 0 ? data.find('\0') != std::string_view::npos : data.size() >= bytes;
    }
};

// The form's own data as a reader, the body's cursor left before its chunks; none when neither
// layout leaves a clean run of chunks. A first chunk that holds the data is preferred: bare data
// of four characters and a NUL can look like an empty chunk, but then holds nothing.
std::optional<ChunkReader> formData(ChunkReader& body, const FormData& expected)
{
    const std::string_view rest = body.rest();
    if (rest.size() >= headerBytes && isChunkRun(rest)) {
        const std::uint32_t length = bigEndian32(rest, idLength);
        if (expected.holds(rest.substr(headerBytes, length)))
            return body.chunk(lengthBytes);
    }
    const std::size_t bare = expected.bareLength(rest);
    if (bare <= rest.size() && expected.holds(rest.substr(0, bare)) &&
        isChunkRun(rest.substr(bare)))
        return body.part(bare);
    return std::nullopt;
}

std::string_view lastName(const ChunkReader& chunk)
{
    const std::string& name = chunk.name();
    return std::string_view(name).substr(name.size() - idLength);
}

void noteUnread(LwoObject& object, const std::string& what)
{
    if (std::find(object.unread.begin(), object.unread.end(), what) == object.unread.end())
        object.unread.push_back(what);
}

// The header form of a block: its ordinal, then CHAN and ENAB among other chunks. The ordinal
// is the stacking order, which one block per channel does not need.
bool readImageHeader(ChunkReader& header, LwoImageBlock& image)
{
    if (!formData(header, FormData{1, 0}))
        return false;
    while (!header.atEnd()) {
        ChunkReader sub = header.chunk(lengthBytes);
        if (lastName(sub) == "CHAN")
            image.channel = sub.id4();
        else if (lastName(sub) == "ENAB")
            image.enabled = sub.u2() != 0;
    }
    return true;
}

enum class BlockKind : std::uint8_t { Other, Image, Unread };

// A BLOK form. Only image maps (an IMAP header) give a texture; procedural, gradient and
// shader blocks are left out as LWO2's reader leaves them out.
BlockKind readBlock(ChunkReader& block, LwoImageBlock& image)
{
    BlockKind kind = BlockKind::Other;
    while (!block.atEnd()) {
        ChunkReader sub = block.chunk(lengthBytes);
        const std::string_view id = lastName(sub);
        if (id == "FORM") {
            std::string type;
            ChunkReader body = sub.formBody(type);
            if (type == "IMAP")
                kind = readImageHeader(body, image) ? BlockKind::Image : BlockKind::Unread;
        } else if (id == "PROJ") {
            image.projection = sub.u2();
        } else if (id == "IMAG") {
            image.clip = sub.vx();
        } else if (id == "VMAP") {
            image.uvMap = sub.s0();
        }
    }
    return kind;
}

void readSurface(ChunkReader& body, LwoObject& object)
{
    // The surface's name and the name of the surface it derives from.
    std::optional<ChunkReader> names = formData(body, FormData{2, 0});
    if (!names) {
        noteUnread(object, "a surface form of a layout not understood");
        return;
    }
    LwoSurface surface;
    surface.name = names->s0();
    bool nodes = false;
    while (!body.atEnd()) {
        ChunkReader sub = body.chunk(lengthBytes);
        if (lastName(sub) != "FORM")
            continue; // basic parameters: colour, diffuse, ... which PO2 does not hold
        std::string type;
        ChunkReader form = sub.formBody(type);
        LwoImageBlock image;
        const BlockKind kind = type == "BLOK" ? readBlock(form, image) : BlockKind::Other;
        if (kind == BlockKind::Image)
            surface.images.push_back(std::move(image));
        else if (kind == BlockKind::Unread)
            noteUnread(object, "surface \"" + surface.name +
                                   "\": an image block header of a layout not understood");
        nodes = nodes || type == "NODS";
    }
    if (nodes && surface.images.empty())
        noteUnread(object, "surface \"" + surface.name +
                               "\" is a node network (images in nodes are not read)");
    object.surfaces.push_back(std::move(surface));
}

void readClip(ChunkReader& body, LwoObject& object)
{
    std::optional<ChunkReader> index = formData(body, FormData{0, lengthBytes});
    if (!index) {
        noteUnread(object, "an image form of a layout not understood");
        return;
    }
    LwoClip clip;
    clip.index = index->u4();
    while (!body.atEnd()) {
        ChunkReader sub = body.chunk(lengthBytes);
        if (lastName(sub) == "STIL") {
            clip.file = sub.s0();
        } else if (lastName(sub) == "FORM") {
            std::string type;
            ChunkReader form = sub.formBody(type);
            // A still image may also come as a form whose first chunk holds the file name.
            std::optional<ChunkReader> file;
            if (type == "STIL")
                file = formData(form, FormData{1, 0});
            if (file)
                clip.file = file->s0();
            else
                noteUnread(object, "image " + std::to_string(clip.index) + " from a " + type +
                                       " form (only still images are read)");
        }
    }
    object.clips.push_back(std::move(clip));
}

} // namespace

void readLwo3Form(ChunkReader& chunk, LwoObject& object)
{
    std::string type;
    ChunkReader body = chunk.formBody(type);
    if (type == "SURF")
        readSurface(body, object);
    else if (type == "CLIP")
        readClip(body, object);
    else
        noteUnread(object, type + " forms (not read)");
}
