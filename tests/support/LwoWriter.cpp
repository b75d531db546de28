#include "support/LwoWriter.h"

#include <bit>

namespace iff {

std::string u2(std::uint16_t value)
{
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string u4(std::uint32_t value)
{
    return u2(static_cast<std::uint16_t>(value >> 16)) +
           u2(static_cast<std::uint16_t>(value & 0xFFFF));
}

std::string f4(float value)
{
    return u4(std::bit_cast<std::uint32_t>(value));
}

std::string vx(std::uint32_t index, bool longForm)
{
    if (index < 0xFF00 && !longForm)
        return u2(static_cast<std::uint16_t>(index));
    return u4(index | 0xFF000000u);
}

std::string s0(const std::string& text)
{
    std::string out = text;
    out.push_back('\0');
    if (out.size() % 2 != 0)
        out.push_back('\0');
    return out;
}

std::string chunk(const std::string& id, const std::string& data)
{
    std::string out = id + u4(static_cast<std::uint32_t>(data.size())) + data;
    if (data.size() % 2 != 0)
        out.push_back('\0');
    return out;
}

std::string subChunk(const std::string& id, const std::string& data)
{
    std::string out = id + u2(static_cast<std::uint16_t>(data.size())) + data;
    if (data.size() % 2 != 0)
        out.push_back('\0');
    return out;
}

std::string form(const std::string& type, const std::string& chunks)
{
    return chunk("FORM", type + chunks);
}

} // namespace iff

namespace lwo2 {

std::string layer(std::uint16_t number, const std::string& name, int parent)
{
    std::string data =
        iff::u2(number) + iff::u2(0) + iff::f4(0) + iff::f4(0) + iff::f4(0) + iff::s0(name);
    if (parent >= 0)
        data += iff::u2(static_cast<std::uint16_t>(parent));
    return iff::chunk("LAYR", data);
}

std::string points(const std::vector<float>& xyz)
{
    std::string data;
    for (float value : xyz)
        data += iff::f4(value);
    return iff::chunk("PNTS", data);
}

std::string polygons(const std::string& type, const std::vector<std::vector<std::uint32_t>>& list)
{
    std::string data = type;
    for (const auto& polygon : list) {
        data += iff::u2(static_cast<std::uint16_t>(polygon.size()));
        for (std::uint32_t point : polygon)
            data += iff::vx(point);
    }
    return iff::chunk("POLS", data);
}

std::string tags(const std::vector<std::string>& names)
{
    std::string data;
    for (const std::string& name : names)
        data += iff::s0(name);
    return iff::chunk("TAGS", data);
}

std::string surfaceTags(const std::vector<std::uint16_t>& tagOfPolygon)
{
    std::string data = "SURF";
    for (std::size_t i = 0; i < tagOfPolygon.size(); ++i)
        data += iff::vx(static_cast<std::uint32_t>(i)) + iff::u2(tagOfPolygon[i]);
    return iff::chunk("PTAG", data);
}

namespace {

std::string map(const char* id, const std::string& type, std::uint16_t dimension,
                const std::string& name, const std::vector<MapEntry>& entries, bool perPolygon)
{
    std::string data = type + iff::u2(dimension) + iff::s0(name);
    for (const MapEntry& entry : entries) {
        data += iff::vx(entry.point);
        if (perPolygon)
            data += iff::vx(entry.polygon);
        for (float value : entry.values)
            data += iff::f4(value);
    }
    return iff::chunk(id, data);
}

} // namespace

std::string vertexMap(const std::string& type, std::uint16_t dimension, const std::string& name,
                      const std::vector<MapEntry>& entries)
{
    return map("VMAP", type, dimension, name, entries, false);
}

std::string cornerMap(const std::string& type, std::uint16_t dimension, const std::string& name,
                      const std::vector<MapEntry>& entries)
{
    return map("VMAD", type, dimension, name, entries, true);
}

std::string still(std::uint32_t index, const std::string& file)
{
    return iff::chunk("CLIP", iff::u4(index) + iff::subChunk("STIL", iff::s0(file)));
}

std::string imageBlock(const std::string& channel, std::uint32_t clip, const std::string& uvMap,
                       std::uint16_t projection)
{
    const std::string header =
        iff::s0("\x80") + iff::subChunk("CHAN", channel) + iff::subChunk("ENAB", iff::u2(1));
    return iff::subChunk(
        "BLOK", iff::subChunk("IMAP", header) + iff::subChunk("PROJ", iff::u2(projection)) +
                    iff::subChunk("IMAG", iff::vx(clip)) + iff::subChunk("VMAP", iff::s0(uvMap)));
}

std::string surface(const std::string& name, const std::vector<std::string>& blocks)
{
    std::string data = iff::s0(name) + iff::s0("");
    // A base colour first, so readers must skip what they do not use.
    data += iff::subChunk("COLR", iff::f4(0.5f) + iff::f4(0.5f) + iff::f4(0.5f) + iff::vx(0));
    for (const std::string& block : blocks)
        data += block;
    return iff::chunk("SURF", data);
}

} // namespace lwo2

namespace lwo3 {

std::string still(std::uint32_t index, const std::string& file)
{
    return form("CLIP", iff::u4(index) + iff::chunk("STIL", iff::s0(file)));
}

std::string imageBlock(const std::string& channel, std::uint32_t clip, const std::string& uvMap,
                       std::uint16_t projection)
{
    const std::string header =
        iff::s0("\x80") + iff::chunk("CHAN", channel) + iff::chunk("ENAB", iff::u2(1));
    // A texture mapping form and an opacity first, which readers must step over.
    const std::string mapping =
        form("TMAP", iff::chunk("CNTR", iff::f4(0) + iff::f4(0) + iff::f4(0) + iff::vx(0)));
    return form("BLOK", form("IMAP", header) + mapping + iff::chunk("PROJ", iff::u2(projection)) +
                            iff::chunk("IMAG", iff::vx(clip)) + iff::chunk("VMAP", iff::s0(uvMap)));
}

std::string surface(const std::string& name, const std::vector<std::string>& blocks)
{
    std::string data = iff::s0(name) + iff::s0("");
    data += iff::chunk("COLR", iff::f4(0.5f) + iff::f4(0.5f) + iff::f4(0.5f) + iff::vx(0));
    for (const std::string& block : blocks)
        data += block;
    return form("SURF", data);
}

} // namespace lwo3
