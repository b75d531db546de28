#include "mesh/Po2Reader.h"

#include "shell/LoadError.h"
#include "shell/MapFile.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// Bone counts are one byte: index 254 is the last that leaves room for the count.
constexpr std::int16_t maxBoneIndex = 254;

// A cursor over the file's bytes that refuses to step past their end.
class Po2Cursor {
public:
    Po2Cursor(std::string_view bytes, const std::string& path) : bytes(bytes), path(path) {}

    void need(std::size_t byteCount, const char* what) const
    {
        if (bytes.size() - offset < byteCount)
            throw LoadError("PO2 file " + path + " ends before its " + what);
    }

    void skip(std::size_t byteCount) { offset += byteCount; }

    std::uint8_t u8(const char* what)
    {
        need(1, what);
        return static_cast<std::uint8_t>(bytes[offset++]);
    }

    std::uint16_t u16(const char* what)
    {
        std::uint16_t value = 0;
        copyOut(&value, 1, what);
        return value;
    }

    // count values of T, decoded little-endian.
    template <class T> std::vector<T> array(std::size_t count, const char* what)
    {
        // Checked before allocating, so a lying count cannot ask for gigabytes.
        need(count * sizeof(T), what);
        std::vector<T> values(count);
        copyOut(values.data(), count, what);
        return values;
    }

    // Morph deltas are 14 bytes each in the file, not sizeof(MorphDelta).
    std::vector<MorphDelta> deltas(std::size_t count)
    {
        constexpr std::size_t deltaBytes = 14;
        need(count * deltaBytes, "morph deltas");
        std::vector<MorphDelta> values(count);
        for (MorphDelta& delta : values) {
            float xyz[3];
            copyOut(xyz, 3, "morph deltas");
            delta.dx = xyz[0];
            delta.dy = xyz[1];
            delta.dz = xyz[2];
            copyOut(&delta.vertex, 1, "morph deltas");
        }
        return values;
    }

    std::string text(const char* what)
    {
        const std::size_t end = bytes.find('\0', offset);
        if (end == std::string_view::npos)
            throw LoadError("PO2 file " + path + " ends before the end of its " + what);
        if (end - offset > maxWordLength)
            throw LoadError("Texture name longer than 249 characters in PO2 file " + path);
        std::string value(bytes.substr(offset, end - offset));
        offset = end + 1;
        return value;
    }

private:
    template <class T> void copyOut(T* out, std::size_t count, const char* what)
    {
        static_assert(sizeof(T) == 2 || sizeof(T) == 4);
        need(count * sizeof(T), what);
        const char* source = bytes.data() + offset;
        if constexpr (std::endian::native == std::endian::little) {
            if (count != 0)
                std::memcpy(out, source, count * sizeof(T));
        } else {
            using Bits = std::conditional_t<sizeof(T) == 2, std::uint16_t, std::uint32_t>;
            for (std::size_t i = 0; i < count; ++i) {
                Bits bits = 0;
                for (std::size_t b = 0; b < sizeof(T); ++b)
                    bits |= static_cast<Bits>(
                        static_cast<Bits>(static_cast<unsigned char>(source[i * sizeof(T) + b]))
                        << (8 * b));
                out[i] = std::bit_cast<T>(bits);
            }
        }
        offset += count * sizeof(T);
    }

    std::string_view bytes;
    const std::string& path;
    std::size_t offset = 0;
};

// Each per-corner index must name an entry of the array it indexes: drawing trusts them.
void checkIndices(const std::vector<std::uint16_t>& indices, std::size_t limit, const char* what,
                  const std::string& path)
{
    for (std::size_t c = 0; c < indices.size(); ++c)
        if (indices[c] >= limit)
            throw LoadError("PO2 file " + path + ": " + what + " " + std::to_string(indices[c]) +
                            " of corner " + std::to_string(c) + " is beyond its " +
                            std::to_string(limit) + " entries");
}

std::uint32_t sum32(const std::vector<std::uint16_t>& sizes)
{
    std::uint32_t total = 0;
    for (std::uint16_t size : sizes)
        total += size;
    return total;
}

// Bits 2 and 4 share texture 1; a non-empty bit-4 name is the one that stays.
void readTextureNames(Po2Cursor& in, Mesh& mesh, const TextureLookup& lookup)
{
    if (mesh.has(MeshFlag::TexCoords0))
        if (std::string name = in.text("texture name 0"); !name.empty())
            mesh.texture0 = lookup(name);
    if (mesh.has(MeshFlag::EnvironmentTexture))
        if (std::string name = in.text("environment texture name"); !name.empty())
            mesh.texture1 = lookup(name);
    if (mesh.has(MeshFlag::TexCoords1))
        if (std::string name = in.text("texture name 1"); !name.empty())
            mesh.texture1 = lookup(name);
}

void readPolygons(Po2Cursor& in, Mesh& mesh, const std::string& path)
{
    mesh.polygonCount = in.u16("polygon count");
    if (mesh.has(MeshFlag::TrianglesOnly)) {
        mesh.cornerCount = 3u * mesh.polygonCount;
    } else {
        std::vector<std::uint16_t> sizes =
            in.array<std::uint16_t>(mesh.polygonCount, "polygon sizes");
        mesh.cornerCount = sum32(sizes);
        mesh.polygonSizes = SharedArray<std::uint16_t>(std::move(sizes));
    }
    std::vector<std::uint16_t> indices =
        in.array<std::uint16_t>(mesh.cornerCount, "vertex indices");
    checkIndices(indices, mesh.vertexCount, "vertex index", path);
    mesh.vertexIndices = SharedArray<std::uint16_t>(std::move(indices));
    computeNormals(mesh);
}

// What the errors of one per-corner section call its parts.
struct CornerSectionNames {
    const char* count;
    const char* values;
    const char* indices;
    const char* index;
    std::size_t perEntry; // floats per entry
};

constexpr CornerSectionNames texCoords0Section = {
    "texture coordinate count 0", "texture coordinates 0", "texture coordinate indices 0",
    "texture coordinate index 0", 2};
constexpr CornerSectionNames coloursSection = {"colour count", "colours", "colour indices",
                                               "colour index", 4};
constexpr CornerSectionNames texCoords1Section = {
    "texture coordinate count 1", "texture coordinates 1", "texture coordinate indices 1",
    "texture coordinate index 1", 2};

// The three per-corner sections share one shape, as the writer writes them: count, the entries,
// then one index per corner into them.
void readCornerSection(Po2Cursor& in, std::uint32_t cornerCount, const CornerSectionNames& names,
                       const std::string& path, std::uint16_t& count, SharedArray<float>& values,
                       SharedArray<std::uint16_t>& indices)
{
    count = in.u16(names.count);
    values = SharedArray<float>(in.array<float>(std::size_t{count} * names.perEntry, names.values));
    std::vector<std::uint16_t> read = in.array<std::uint16_t>(cornerCount, names.indices);
    checkIndices(read, count, names.index, path);
    indices = SharedArray<std::uint16_t>(std::move(read));
}

void readMorphs(Po2Cursor& in, Mesh& mesh, const std::string& path)
{
    mesh.morphCount = in.u16("morph count");
    std::vector<std::uint16_t> sizes = in.array<std::uint16_t>(mesh.morphCount, "morph sizes");
    mesh.morphDeltaCount = sum32(sizes);
    mesh.morphSizes = SharedArray<std::uint16_t>(std::move(sizes));
    std::vector<MorphDelta> deltas = in.deltas(mesh.morphDeltaCount);
    for (std::size_t d = 0; d < deltas.size(); ++d)
        if (deltas[d].vertex >= mesh.vertexCount)
            throw LoadError("PO2 file " + path + ": morph delta " + std::to_string(d) +
                            " moves vertex " + std::to_string(deltas[d].vertex) + " beyond its " +
                            std::to_string(mesh.vertexCount) + " vertices");
    mesh.morphDeltas = SharedArray<MorphDelta>(std::move(deltas));
}

void readVertexWeights(Po2Cursor& in, Mesh& mesh, const std::string& path)
{
    if (!mesh.has(MeshFlag::TrianglesOnly))
        throw LoadError("Only triangles are suitable");
    mesh.vertexWeights = SharedArray<float>(in.array<float>(mesh.vertexCount, "vertex weights"));
    std::vector<std::int16_t> bones = in.array<std::int16_t>(mesh.polygonCount, "triangle bones");
    // Negative indices never raise the maximum, which starts at 0.
    std::int16_t largest = 0;
    for (std::int16_t bone : bones)
        largest = std::max(largest, bone);
    if (largest > maxBoneIndex)
        throw LoadError("PO2 file " + path + ": triangle bone index " + std::to_string(largest) +
                        " is above 254");
    mesh.boneCount = static_cast<std::uint8_t>(largest + 1);
    mesh.triangleBones = SharedArray<std::int16_t>(std::move(bones));
}

} // namespace

std::string po2Path(const std::string& rootDir, const std::string& objectName)
{
    std::string path = rootDir + "/" + objectName;
    if (path.size() > maxWordLength)
        throw LoadError("Path longer than 249 characters: " + path);
    if (path.size() < 3)
        throwCannotLoad(path);
    // Whatever the extension's length, exactly the last three characters change.
    path.replace(path.size() - 3, 3, "po2");
    return path;
}

Mesh parsePo2(std::string_view bytes, const std::string& path, const TextureLookup& lookup)
{
    Po2Cursor in(bytes, path);
    Mesh mesh;
    // A file too short for the magic is still "Not PO2 File" when the bytes it has disagree.
    if (!std::string_view("PO2").starts_with(bytes.substr(0, 3)))
        throw LoadError("Not PO2 File");
    in.need(3, "magic");
    in.skip(3);
    mesh.flags = in.u8("flags");
    readTextureNames(in, mesh, lookup);
    mesh.vertexCount = in.u16("vertex count");
    mesh.positions = in.array<float>(std::size_t{mesh.vertexCount} * 3, "positions");
    if (mesh.has(MeshFlag::Polygons))
        readPolygons(in, mesh, path);
    if (mesh.has(MeshFlag::TexCoords0))
        readCornerSection(in, mesh.cornerCount, texCoords0Section, path, mesh.texCoord0Count,
                          mesh.texCoords0, mesh.texCoord0Indices);
    if (mesh.has(MeshFlag::Colours))
        readCornerSection(in, mesh.cornerCount, coloursSection, path, mesh.colourCount,
                          mesh.colours, mesh.colourIndices);
    if (mesh.has(MeshFlag::TexCoords1))
        readCornerSection(in, mesh.cornerCount, texCoords1Section, path, mesh.texCoord1Count,
                          mesh.texCoords1, mesh.texCoord1Indices);
    if (mesh.has(MeshFlag::Morphs))
        readMorphs(in, mesh, path);
    if (mesh.has(MeshFlag::VertexWeights))
        readVertexWeights(in, mesh, path);
    return mesh;
}

Mesh readPo2(const std::string& path, const TextureLookup& lookup)
{
    const FileMapping file = mapFile(path);
    return parsePo2({file.data(), file.size()}, path, lookup);
}
