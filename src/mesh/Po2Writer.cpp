#include "mesh/Po2Writer.h"

#include "shell/LoadError.h"

#include <bit>
#include <fstream>
#include <limits>

namespace {

class Po2Bytes {
public:
    void u8(std::uint8_t value) { out.push_back(static_cast<char>(value)); }

    void u16(std::uint16_t value)
    {
        u8(static_cast<std::uint8_t>(value & 0xFFu));
        u8(static_cast<std::uint8_t>(value >> 8));
    }

    void f32(float value)
    {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            u8(static_cast<std::uint8_t>((bits >> shift) & 0xFFu));
    }

    void text(const std::string& value)
    {
        out += value;
        out.push_back('\0');
    }

    template <class T> void all(const std::vector<T>& values)
    {
        for (T value : values) {
            if constexpr (std::is_same_v<T, float>)
                f32(value);
            else
                u16(static_cast<std::uint16_t>(value));
        }
    }

    std::string out;
};

[[noreturn]] void refuse(const std::string& why)
{
    throw LoadError("Cannot write PO2 file: " + why);
}

std::uint16_t count16(std::size_t values, std::size_t perEntry, const char* what)
{
    if (values % perEntry != 0)
        refuse(std::string(what) + " is not a whole number of entries");
    if (values / perEntry > std::numeric_limits<std::uint16_t>::max())
        refuse(std::string("more than 65535 ") + what);
    return static_cast<std::uint16_t>(values / perEntry);
}

void checkSize(std::size_t actual, std::size_t expected, const char* what)
{
    if (actual != expected)
        refuse(std::string(what) + " has " + std::to_string(actual) + " entries, not " +
               std::to_string(expected));
}

void checkRange(const std::vector<std::uint16_t>& indices, std::size_t limit, const char* what)
{
    for (std::uint16_t index : indices)
        if (index >= limit)
            refuse(std::string(what) + " " + std::to_string(index) + " is beyond " +
                   std::to_string(limit) + " entries");
}

void checkName(const std::string& name, Po2Check check)
{
    // An embedded NUL would end the field early and shift every section after it.
    if (name.find('\0') != std::string::npos)
        refuse("a texture name holds a NUL byte");
    if (check == Po2Check::Full && name.size() > maxWordLength)
        refuse("texture name longer than 249 characters");
}

bool has(const Po2Description& mesh, std::uint8_t flag)
{
    return (mesh.flags & flag) != 0;
}

} // namespace

std::string writePo2(const Po2Description& mesh, Po2Check check)
{
    const bool full = check == Po2Check::Full;
    const std::uint16_t vertexCount = count16(mesh.positions.size(), 3, "positions");
    std::uint16_t polygonCount = 0;
    std::size_t cornerCount = 0;
    if (has(mesh, MeshFlag::Polygons)) {
        if (has(mesh, MeshFlag::TrianglesOnly)) {
            polygonCount = count16(mesh.vertexIndices.size(), 3, "triangle corners");
        } else {
            polygonCount = count16(mesh.polygonSizes.size(), 1, "polygons");
            for (std::uint16_t size : mesh.polygonSizes)
                cornerCount += size;
        }
        cornerCount = has(mesh, MeshFlag::TrianglesOnly) ? mesh.vertexIndices.size() : cornerCount;
        checkSize(mesh.vertexIndices.size(), cornerCount, "vertexIndices");
        if (full)
            checkRange(mesh.vertexIndices, vertexCount, "vertex index");
    }

    Po2Bytes bytes;
    bytes.out = "PO2";
    bytes.u8(mesh.flags);
    if (has(mesh, MeshFlag::TexCoords0)) {
        checkName(mesh.texture0Name, check);
        bytes.text(mesh.texture0Name);
    }
    if (has(mesh, MeshFlag::EnvironmentTexture)) {
        checkName(mesh.environmentTextureName, check);
        bytes.text(mesh.environmentTextureName);
    }
    if (has(mesh, MeshFlag::TexCoords1)) {
        checkName(mesh.texture1Name, check);
        bytes.text(mesh.texture1Name);
    }
    bytes.u16(vertexCount);
    bytes.all(mesh.positions);
    if (has(mesh, MeshFlag::Polygons)) {
        bytes.u16(polygonCount);
        if (!has(mesh, MeshFlag::TrianglesOnly))
            bytes.all(mesh.polygonSizes);
        bytes.all(mesh.vertexIndices);
    }

    // The three per-corner sections share one shape: count, entries, N indices.
    auto cornerSection = [&](const std::vector<float>& values, std::size_t perEntry,
                             const std::vector<std::uint16_t>& indices, const char* what) {
        const std::uint16_t count = count16(values.size(), perEntry, what);
        checkSize(indices.size(), cornerCount, what);
        if (full)
            checkRange(indices, count, what);
        bytes.u16(count);
        bytes.all(values);
        bytes.all(indices);
    };
    if (has(mesh, MeshFlag::TexCoords0))
        cornerSection(mesh.texCoords0, 2, mesh.texCoord0Indices, "texture coordinates 0");
    if (has(mesh, MeshFlag::Colours))
        cornerSection(mesh.colours, 4, mesh.colourIndices, "colours");
    if (has(mesh, MeshFlag::TexCoords1))
        cornerSection(mesh.texCoords1, 2, mesh.texCoord1Indices, "texture coordinates 1");

    if (has(mesh, MeshFlag::Morphs)) {
        bytes.u16(count16(mesh.morphSizes.size(), 1, "morphs"));
        std::size_t deltaCount = 0;
        for (std::uint16_t size : mesh.morphSizes)
            deltaCount += size;
        checkSize(mesh.morphDeltas.size(), deltaCount, "morphDeltas");
        bytes.all(mesh.morphSizes);
        for (const MorphDelta& delta : mesh.morphDeltas) {
            if (full && delta.vertex >= vertexCount)
                refuse("morph delta vertex " + std::to_string(delta.vertex) + " is beyond " +
                       std::to_string(vertexCount) + " vertices");
            bytes.f32(delta.dx);
            bytes.f32(delta.dy);
            bytes.f32(delta.dz);
            bytes.u16(delta.vertex);
        }
    }
    if (has(mesh, MeshFlag::VertexWeights)) {
        if (full && !has(mesh, MeshFlag::TrianglesOnly))
            refuse("vertex weights need TrianglesOnly");
        checkSize(mesh.vertexWeights.size(), vertexCount, "vertexWeights");
        checkSize(mesh.triangleBones.size(), polygonCount, "triangleBones");
        for (std::int16_t bone : mesh.triangleBones)
            if (full && bone > 254)
                refuse("triangle bone index " + std::to_string(bone) + " is above 254");
        bytes.all(mesh.vertexWeights);
        bytes.all(mesh.triangleBones);
    }
    return std::move(bytes.out);
}

void writePo2File(const std::string& path, const Po2Description& mesh, Po2Check check)
{
    const std::string bytes = writePo2(mesh, check);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
        throw LoadError("Cannot write PO2 file " + path);
}
