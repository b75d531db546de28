#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds LightWave object files byte by byte for tests: big-endian IFF chunks with their pad
// bytes, and the LWO2 chunks the converter reads.
namespace iff {

std::string u2(std::uint16_t value);
std::string u4(std::uint32_t value);
std::string f4(float value);
// 2 bytes below 0xFF00, else 4 with the top byte 0xFF; longForm forces 4 bytes.
std::string vx(std::uint32_t index, bool longForm = false);
// The text, its NUL and a pad byte when the two are odd in length.
std::string s0(const std::string& text);
// ID, 4-byte length, data and a pad byte after odd data.
std::string chunk(const std::string& id, const std::string& data);
// ID, 2-byte length, data and pad: the chunks inside SURF, CLIP and BLOK.
std::string subChunk(const std::string& id, const std::string& data);
std::string form(const std::string& type, const std::string& chunks);

} // namespace iff

namespace lwo2 {

struct MapEntry {
    std::uint32_t point = 0;
    std::uint32_t polygon = 0; // per-polygon maps only
    std::vector<float> values;
};

std::string layer(std::uint16_t number, const std::string& name = "", int parent = -1);
std::string points(const std::vector<float>& xyz);
std::string polygons(const std::string& type, const std::vector<std::vector<std::uint32_t>>& list);
std::string tags(const std::vector<std::string>& names);
// A SURF PTAG: polygon i gets tag surfaceTags[i].
std::string surfaceTags(const std::vector<std::uint16_t>& surfaceTags);
std::string vertexMap(const std::string& type, std::uint16_t dimension, const std::string& name,
                      const std::vector<MapEntry>& entries);
std::string cornerMap(const std::string& type, std::uint16_t dimension, const std::string& name,
                      const std::vector<MapEntry>& entries);
std::string still(std::uint32_t index, const std::string& file);
std::string imageBlock(const std::string& channel, std::uint32_t clip, const std::string& uvMap,
                       std::uint16_t projection = 5);
std::string surface(const std::string& name, const std::vector<std::string>& blocks);

} // namespace lwo2

// LWO3: the geometry chunks are LWO2's (above); surfaces and clips nest their parts as forms,
// and every chunk inside them has a 4-byte length.
namespace lwo3 {

// The nested block of LWO3 is IFF's own FORM chunk.
using iff::form;
std::string still(std::uint32_t index, const std::string& file);
std::string imageBlock(const std::string& channel, std::uint32_t clip, const std::string& uvMap,
                       std::uint16_t projection = 5);
std::string surface(const std::string& name, const std::vector<std::string>& blocks);

} // namespace lwo3
