#include "lwo/ChunkReader.h"
#include "lwo/LwoChunks.h"

#include <algorithm>

// LWO3 surfaces and clips. No public description of them exists: what is read here is the
// part that finds a surface's colour image, as LWO2 keeps it, with every sub-chunk given a
// 4-byte length and every sub-block (BLOK, its IMAP header, TMAP) nested as a FORM. What the
// reader does not understand is listed in LwoObject::unread, never guessed at.

namespace {

constexpr std::size_t lengthBytes = 4;

std::string_view lastName(const ChunkReader& chunk)
{
    const std::string& name = chunk.name();
    constexpr std::size_t idLength = 4;
    return std::string_view(name).substr(name.size() - idLength);
}

void noteUnread(LwoObject& object, const std::string& what)
{
    if (std::find(object.unread.begin(), object.unread.end(), what) == object.unread.end())
        object.unread.push_back(what);
}

// The header form of a block: its ordinal, then CHAN and ENAB among other chunks.
void readImageHeader(ChunkReader& header, LwoImageBlock& image)
{
    header.s0(); // ordinal: the stacking order, which one block per channel does not need
    while (!header.atEnd()) {
        ChunkReader sub = header.chunk(lengthBytes);
        if (lastName(sub) == "CHAN")
            image.channel = sub.id4();
        else if (lastName(sub) == "ENAB")
            image.enabled = sub.u2() != 0;
    }
}

// A BLOK form. Only image maps (an IMAP header) give a texture; procedural, gradient and
// shader blocks are left out as LWO2's reader leaves them out.
bool readBlock(ChunkReader& block, LwoImageBlock& image)
{
    bool isImage = false;
    while (!block.atEnd()) {
        ChunkReader sub = block.chunk(lengthBytes);
        const std::string_view id = lastName(sub);
        if (id == "FORM") {
            std::string type;
            ChunkReader body = sub.formBody(type);
            if (type == "IMAP") {
                isImage = true;
                readImageHeader(body, image);
            }
        } else if (id == "PROJ") {
            image.projection = sub.u2();
        } else if (id == "IMAG") {
            image.clip = sub.vx();
        } else if (id == "VMAP") {
            image.uvMap = sub.s0();
        }
    }
    return isImage;
}

void readSurface(ChunkReader& body, LwoObject& object)
{
    LwoSurface surface;
    surface.name = body.s0();
    if (!body.atEnd())
        body.s0(); // source surface
    bool nodes = false;
    while (!body.atEnd()) {
        ChunkReader sub = body.chunk(lengthBytes);
        if (lastName(sub) != "FORM")
            continue; // basic parameters: colour, diffuse, ... which PO2 does not hold
        std::string type;
        ChunkReader form = sub.formBody(type);
        LwoImageBlock image;
        if (type == "BLOK" && readBlock(form, image))
            surface.images.push_back(std::move(image));
        nodes = nodes || type == "NODS";
    }
    if (nodes && surface.images.empty())
        noteUnread(object, "surface \"" + surface.name +
                               "\" is a node network (images in nodes are not read)");
    object.surfaces.push_back(std::move(surface));
}

void readClip(ChunkReader& body, LwoObject& object)
{
    LwoClip clip;
    clip.index = body.u4();
    while (!body.atEnd()) {
        ChunkReader sub = body.chunk(lengthBytes);
        if (lastName(sub) == "STIL") {
            clip.file = sub.s0();
        } else if (lastName(sub) == "FORM") {
            std::string type;
            sub.formBody(type);
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
