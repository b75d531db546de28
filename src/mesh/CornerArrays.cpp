#include "mesh/CornerArrays.h"

#include "mesh/Mesh.h"

#include <unordered_map>

namespace {

constexpr std::uint16_t noIndex = 0xFFFF;

// What one corner names besides its vertex; absent sections read as noIndex.
struct Attributes {
    std::uint16_t texCoord0 = noIndex;
    std::uint16_t texCoord1 = noIndex;
    std::uint16_t colour = noIndex;

    bool operator==(const Attributes&) const = default;
};

Attributes attributesOf(const Mesh& mesh, std::uint32_t corner)
{
    Attributes a;
    if (mesh.has(MeshFlag::TexCoords0))
        a.texCoord0 = mesh.texCoord0Indices[corner];
    if (mesh.has(MeshFlag::TexCoords1))
        a.texCoord1 = mesh.texCoord1Indices[corner];
    if (mesh.has(MeshFlag::Colours))
        a.colour = mesh.colourIndices[corner];
    return a;
}

std::uint64_t keyOf(std::uint16_t vertex, const Attributes& a)
{
    return std::uint64_t{vertex} << 48u | std::uint64_t{a.texCoord0} << 32u |
           std::uint64_t{a.texCoord1} << 16u | a.colour;
}

void appendAttributes(const Mesh& mesh, const Attributes& a, CornerArrays& out)
{
    const auto copy = [](const auto& from, std::uint16_t index, std::size_t width, auto& to) {
        for (std::size_t i = 0; i < width; ++i)
            to.push_back(from[std::size_t{index} * width + i]);
    };
    if (mesh.has(MeshFlag::TexCoords0))
        copy(mesh.texCoords0, a.texCoord0, 2, out.texCoords0);
    if (mesh.has(MeshFlag::TexCoords1))
        copy(mesh.texCoords1, a.texCoord1, 2, out.texCoords1);
    if (mesh.has(MeshFlag::Colours))
        copy(mesh.colours, a.colour, 4, out.colours);
}

// How many corners immediate mode sends: the polygon walk stops where the sizes would run past
// the corners, as the emitter does.
std::uint32_t cornersDrawn(const Mesh& mesh)
{
    if (mesh.has(MeshFlag::TrianglesOnly))
        return mesh.cornerCount;
    std::uint32_t first = 0;
    for (std::uint16_t size : mesh.polygonSizes) {
        if (size > mesh.cornerCount - first)
            break;
        first += size;
    }
    return first;
}

// Each corner's element, in corner order.
std::vector<std::uint32_t> buildElements(const Mesh& mesh, std::uint32_t drawn, CornerArrays& out)
{
    std::vector<std::uint32_t> elementOfCorner;
    elementOfCorner.reserve(drawn);
    // Where every vertex always comes with the same coordinates and colour, elements are the
    // vertices and the working copy's positions and normals are drawn as they stand.
    std::vector<Attributes> perVertex(mesh.vertexCount);
    std::vector<bool> seen(mesh.vertexCount, false);
    bool oneEach = true;
    for (std::uint32_t c = 0; c < drawn && oneEach; ++c) {
        const std::uint16_t vertex = mesh.vertexIndices[c];
        const Attributes a = attributesOf(mesh, c);
        if (!seen[vertex]) {
            seen[vertex] = true;
            perVertex[vertex] = a;
        } else {
            oneEach = perVertex[vertex] == a;
        }
    }
    if (oneEach) {
        out.elementsAreVertices = true;
        for (std::uint32_t v = 0; v < mesh.vertexCount; ++v) {
            if (seen[v]) {
                appendAttributes(mesh, perVertex[v], out);
                continue;
            }
            // Vertices no corner names keep a slot that is never drawn.
            const auto grow = [](std::vector<float>& values, bool present, std::size_t width) {
                values.resize(values.size() + (present ? width : 0));
            };
            grow(out.texCoords0, mesh.has(MeshFlag::TexCoords0), 2);
            grow(out.texCoords1, mesh.has(MeshFlag::TexCoords1), 2);
            grow(out.colours, mesh.has(MeshFlag::Colours), 4);
        }
        for (std::uint32_t c = 0; c < drawn; ++c)
            elementOfCorner.push_back(mesh.vertexIndices[c]);
        return elementOfCorner;
    }

    std::unordered_map<std::uint64_t, std::uint32_t> elementOf;
    elementOf.reserve(drawn);
    for (std::uint32_t c = 0; c < drawn; ++c) {
        const std::uint16_t vertex = mesh.vertexIndices[c];
        const Attributes a = attributesOf(mesh, c);
        const auto [at, added] = elementOf.try_emplace(
            keyOf(vertex, a), static_cast<std::uint32_t>(out.elementVertex.size()));
        if (added) {
            out.elementVertex.push_back(vertex);
            appendAttributes(mesh, a, out);
        }
        elementOfCorner.push_back(at->second);
    }
    return elementOfCorner;
}

// Immediate mode draws a quad as the triangles (0, 1, 2) and (0, 2, 3), while an indexed
// GL_QUADS splits it along the other diagonal, which shades differently; so quads join the
// triangle run already split. Larger polygons stay GL_POLYGON, one call each.
void buildRuns(const Mesh& mesh, const std::vector<std::uint32_t>& elements, CornerArrays& out)
{
    const auto drawn = static_cast<std::uint32_t>(elements.size());
    if (mesh.has(MeshFlag::TrianglesOnly)) {
        out.indices = elements;
        out.runs.push_back({CornerArrays::Primitive::Triangles, 0, drawn});
        return;
    }
    out.indices.reserve(drawn + drawn / 2);
    const auto triangles = [&out]() -> CornerArrays::Run& {
        if (out.runs.empty() || out.runs.back().primitive != CornerArrays::Primitive::Triangles)
            out.runs.push_back({CornerArrays::Primitive::Triangles,
                                static_cast<std::uint32_t>(out.indices.size()), 0});
        return out.runs.back();
    };
    std::uint32_t first = 0;
    for (std::uint16_t size : mesh.polygonSizes) {
        if (first + size > drawn)
            break;
        const std::uint32_t* corner = elements.data() + first;
        first += size;
        if (size == 3 || size == 4) {
            CornerArrays::Run& run = triangles();
            out.indices.insert(out.indices.end(), {corner[0], corner[1], corner[2]});
            if (size == 4)
                out.indices.insert(out.indices.end(), {corner[0], corner[2], corner[3]});
            run.count = static_cast<std::uint32_t>(out.indices.size()) - run.first;
        } else if (size > 0) {
            out.runs.push_back({CornerArrays::Primitive::Polygon,
                                static_cast<std::uint32_t>(out.indices.size()), size});
            out.indices.insert(out.indices.end(), corner, corner + size);
        }
    }
}

} // namespace

bool buildCornerArrays(const Mesh& mesh, CornerArrays& out)
{
    if (!mesh.has(MeshFlag::Polygons) || mesh.has(MeshFlag::VertexWeights))
        return false;
    const std::uint32_t drawn = cornersDrawn(mesh);
    if (drawn == 0)
        return false;
    out = CornerArrays{};
    out.lastCorner = drawn - 1;
    buildRuns(mesh, buildElements(mesh, drawn, out), out);
    return true;
}
