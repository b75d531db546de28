#include "SampleParts.h"

#include "mesh/Po2Writer.h"
#include "platform/AudioFile.h"
#include "shell/LoadError.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Vec3 {
    float x, y, z;
};

Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator*(Vec3 a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
float dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The loader's face normal for corners (p0, p1, p2): (p2 - p1) x (p0 - p1).
Vec3 faceNormal(Vec3 p0, Vec3 p1, Vec3 p2)
{
    const Vec3 a = p2 - p1;
    const Vec3 b = p0 - p1;
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct MeshBuilder {
    Po2Description mesh;
    float uv1Scale = 1.0f; // set 1 repeats its texture this many times over set 0's span

    explicit MeshBuilder(std::uint8_t flags, std::string texture = "")
    {
        mesh.flags =
            static_cast<std::uint8_t>(flags | MeshFlag::Polygons | MeshFlag::TrianglesOnly);
        mesh.texture0Name = std::move(texture);
    }

    std::uint16_t vertex(Vec3 p)
    {
        mesh.positions.insert(mesh.positions.end(), {p.x, p.y, p.z});
        return static_cast<std::uint16_t>(mesh.positions.size() / 3 - 1);
    }

    Vec3 position(std::uint16_t i) const
    {
        return {mesh.positions[i * 3u], mesh.positions[i * 3u + 1], mesh.positions[i * 3u + 2]};
    }

    // One triangle whose face normal points along outward; corners are swapped as needed.
    void triangle(std::array<std::uint16_t, 3> v, Vec3 outward, std::array<float, 6> uv = {},
                  std::array<Rgba8, 3> colour = {})
    {
        if (dot(faceNormal(position(v[0]), position(v[1]), position(v[2])), outward) < 0.0f) {
            std::swap(v[1], v[2]);
            std::swap(uv[2], uv[4]);
            std::swap(uv[3], uv[5]);
            std::swap(colour[1], colour[2]);
        }
        for (int i = 0; i < 3; ++i) {
            mesh.vertexIndices.push_back(v[static_cast<std::size_t>(i)]);
            if (mesh.flags & MeshFlag::TexCoords0) {
                mesh.texCoords0.insert(
                    mesh.texCoords0.end(),
                    {uv[static_cast<std::size_t>(2 * i)], uv[static_cast<std::size_t>(2 * i + 1)]});
                mesh.texCoord0Indices.push_back(
                    static_cast<std::uint16_t>(mesh.texCoords0.size() / 2 - 1));
            }
            if (mesh.flags & MeshFlag::TexCoords1) {
                mesh.texCoords1.insert(mesh.texCoords1.end(),
                                       {uv[static_cast<std::size_t>(2 * i)] * uv1Scale,
                                        uv[static_cast<std::size_t>(2 * i + 1)] * uv1Scale});
                mesh.texCoord1Indices.push_back(
                    static_cast<std::uint16_t>(mesh.texCoords1.size() / 2 - 1));
            }
            if (mesh.flags & MeshFlag::Colours) {
                const Rgba8& c = colour[static_cast<std::size_t>(i)];
                mesh.colours.insert(mesh.colours.end(), {c.r, c.g, c.b, c.a});
                mesh.colourIndices.push_back(
                    static_cast<std::uint16_t>(mesh.colours.size() / 4 - 1));
            }
        }
    }

    // A quad a-b-c-d going round its edge, as two triangles.
    void quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 outward, float uvScale = 1.0f,
              Rgba8 colour = {1, 1, 1, 1})
    {
        const std::uint16_t ia = vertex(a), ib = vertex(b), ic = vertex(c), id = vertex(d);
        const float s = uvScale;
        triangle({ia, ib, ic}, outward, {0, 0, s, 0, s, s}, {colour, colour, colour});
        triangle({ia, ic, id}, outward, {0, 0, s, s, 0, s}, {colour, colour, colour});
    }
};

void box(MeshBuilder& b, Vec3 centre, Vec3 half, const std::array<Rgba8, 6>& faceColours)
{
    const float x0 = centre.x - half.x, x1 = centre.x + half.x;
    const float y0 = centre.y - half.y, y1 = centre.y + half.y;
    const float z0 = centre.z - half.z, z1 = centre.z + half.z;
    b.quad({x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}, {0, 0, -1}, 1, faceColours[0]);
    b.quad({x1, y0, z1}, {x0, y0, z1}, {x0, y1, z1}, {x1, y1, z1}, {0, 0, 1}, 1, faceColours[1]);
    b.quad({x0, y0, z1}, {x0, y0, z0}, {x0, y1, z0}, {x0, y1, z1}, {-1, 0, 0}, 1, faceColours[2]);
    b.quad({x1, y0, z0}, {x1, y0, z1}, {x1, y1, z1}, {x1, y1, z0}, {1, 0, 0}, 1, faceColours[3]);
    b.quad({x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}, {0, 1, 0}, 1, faceColours[4]);
    b.quad({x0, y0, z1}, {x1, y0, z1}, {x1, y0, z0}, {x0, y0, z0}, {0, -1, 0}, 1, faceColours[5]);
}

constexpr std::array<Rgba8, 6> white = {
    {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}}};
constexpr std::array<Rgba8, 6> rainbow = {{{1, 0.2f, 0.2f, 1},
                                           {0.2f, 1, 0.3f, 1},
                                           {0.2f, 0.4f, 1, 1},
                                           {1, 0.9f, 0.2f, 1},
                                           {0.9f, 0.3f, 1, 1},
                                           {0.2f, 1, 1, 1}}};

// A UV sphere whose vertices are shared between its triangles (so normals come out smooth and
// morph deltas move whole corners). Rings run from the top; radius(ring, segment) shapes it.
template <class Radius>
MeshBuilder sphere(std::uint8_t flags, const std::string& texture, int rings, int segments,
                   Radius radius, bool colourful)
{
    MeshBuilder b(flags, texture);
    std::vector<std::uint16_t> grid;
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s <= segments; ++s) {
            const float theta = pi * static_cast<float>(r) / static_cast<float>(rings);
            const float phi = 2.0f * pi * static_cast<float>(s) / static_cast<float>(segments);
            const float k = radius(r, s);
            grid.push_back(b.vertex({k * std::sin(theta) * std::cos(phi), k * std::cos(theta),
                                     k * std::sin(theta) * std::sin(phi)}));
        }
    auto at = [&](int r, int s) { return grid[static_cast<std::size_t>(r * (segments + 1) + s)]; };
    auto colourOf = [&](int r, int s) {
        if (!colourful)
            return Rgba8{1, 1, 1, 1};
        const float h = static_cast<float>(s) / static_cast<float>(segments) * 2.0f * pi;
        const float l = 0.6f + 0.4f * static_cast<float>(r) / static_cast<float>(rings);
        return Rgba8{l * (0.5f + 0.5f * std::cos(h)), l * (0.5f + 0.5f * std::cos(h + 2.1f)),
                     l * (0.5f + 0.5f * std::cos(h + 4.2f)), 1};
    };
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const std::uint16_t a = at(r, s), c = at(r + 1, s), d = at(r + 1, s + 1),
                                e = at(r, s + 1);
            const Vec3 mid = (b.position(a) + b.position(d)) * 0.5f;
            const float u0 = static_cast<float>(s) / static_cast<float>(segments);
            const float u1 = static_cast<float>(s + 1) / static_cast<float>(segments);
            const float v0 = 1.0f - static_cast<float>(r) / static_cast<float>(rings);
            const float v1 = 1.0f - static_cast<float>(r + 1) / static_cast<float>(rings);
            if (r > 0)
                b.triangle({a, c, d}, mid, {u0, v0, u0, v1, u1, v1},
                           {colourOf(r, s), colourOf(r + 1, s), colourOf(r + 1, s + 1)});
            if (r < rings - 1)
                b.triangle({a, d, e}, mid, {u0, v0, u1, v1, u1, v0},
                           {colourOf(r, s), colourOf(r + 1, s + 1), colourOf(r, s + 1)});
        }
    return b;
}

} // namespace

void writeMeshes(const std::filesystem::path& root)
{
    const std::filesystem::path objects = root / "objects";
    std::filesystem::create_directories(objects);

    MeshBuilder ground(MeshFlag::TexCoords0, "checker");
    ground.quad({-20, -1, -20}, {20, -1, -20}, {20, -1, 20}, {-20, -1, 20}, {0, 1, 0}, 10.0f);
    writePo2File((objects / "ground.po2").string(), ground.mesh);

    // Wears the texture layer's picture on every face.
    MeshBuilder screenBox(MeshFlag::TexCoords0, "glowtex");
    box(screenBox, {0, 0, 0}, {1, 1, 1}, white);
    writePo2File((objects / "screenbox.po2").string(), screenBox.mesh);

    MeshBuilder colourBox(MeshFlag::Colours);
    box(colourBox, {0, 0, 0}, {0.8f, 0.8f, 0.8f}, rainbow);
    writePo2File((objects / "colourbox.po2").string(), colourBox.mesh);

    MeshBuilder pillar(MeshFlag::TexCoords0, "marble");
    box(pillar, {0, 1, 0}, {0.4f, 2, 0.4f}, white);
    writePo2File((objects / "pillar.po2").string(), pillar.mesh);

    // The morph pair: the same sphere, plain and spiked, vertex for vertex.
    const int rings = 12, segments = 18;
    writePo2File((objects / "blob.po2").string(),
                 sphere(
                     MeshFlag::Colours, "", rings, segments, [](int, int) { return 1.0f; }, true)
                     .mesh);
    writePo2File((objects / "spikes.po2").string(),
                 sphere(
                     MeshFlag::Colours, "", rings, segments,
                     [](int r, int s) { return (r + s) % 2 ? 1.6f : 0.8f; }, true)
                     .mesh);

    // The mixer's sphere carries two morphs: a stretch upwards and a ripple round the middle.
    MeshBuilder mixer = sphere(
        MeshFlag::TexCoords0 | MeshFlag::Morphs, "marble", rings, segments,
        [](int, int) { return 1.0f; }, false);
    std::uint16_t stretched = 0, rippled = 0;
    const auto vertices = static_cast<std::uint16_t>(mixer.mesh.positions.size() / 3);
    for (std::uint16_t v = 0; v < vertices; ++v) {
        const Vec3 p = mixer.position(v);
        if (p.y > 0.2f) {
            mixer.mesh.morphDeltas.push_back({0, p.y * 0.9f, 0, v});
            ++stretched;
        }
    }
    for (std::uint16_t v = 0; v < vertices; ++v) {
        const Vec3 p = mixer.position(v);
        const float ring = std::cos(p.y * 6.0f) * 0.35f;
        mixer.mesh.morphDeltas.push_back({p.x * ring, 0, p.z * ring, v});
        ++rippled;
    }
    mixer.mesh.morphSizes = {stretched, rippled};
    writePo2File((objects / "mixer.po2").string(), mixer.mesh);

    // A wall with two texture sets, for a material's two texture stages.
    MeshBuilder panel(MeshFlag::TexCoords0 | MeshFlag::TexCoords1, "marble");
    panel.mesh.texture1Name = "sky";
    panel.uv1Scale = 3.0f;
    panel.quad({-3, -1.5f, 0}, {3, -1.5f, 0}, {3, 1.5f, 0}, {-3, 1.5f, 0}, {0, 0, -1}, 2.0f);
    writePo2File((objects / "panel.po2").string(), panel.mesh);

    // A camera-facing square for sparks, lit by nothing, added onto the picture.
    MeshBuilder spark(MeshFlag::TexCoords0, "Flare1");
    spark.quad({-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0.5f, 0.5f, 0}, {-0.5f, 0.5f, 0}, {0, 0, -1});
    writePo2File((objects / "spark.po2").string(), spark.mesh);
}

void writeTinyMeshes(const std::filesystem::path& root)
{
    std::filesystem::create_directories(root / "objects");
    MeshBuilder screenBox(MeshFlag::TexCoords0, "glowtex");
    box(screenBox, {0, 0, 0}, {1, 1, 1}, white);
    writePo2File((root / "objects" / "screenbox.po2").string(), screenBox.mesh);
    MeshBuilder colourBox(MeshFlag::Colours);
    box(colourBox, {0, 0, 0}, {0.8f, 0.8f, 0.8f}, rainbow);
    writePo2File((root / "objects" / "colourbox.po2").string(), colourBox.mesh);
}
