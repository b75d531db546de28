#include "SampleDemo.h"

#include "mesh/Po2Writer.h"
#include "platform/AudioFile.h"
#include "shell/LoadError.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr float pi = 3.14159265f;

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw LoadError("Cannot write " + path.string());
}

// ---------------------------------------------------------------------------------------------
// Pictures: uncompressed 24- or 32-bit TGA, bottom row first, written pixel by pixel from a
// function.

struct Rgba8 {
    float r, g, b, a;
};

template <class Shader> std::string tga(int width, int height, Shader shade, int components = 4)
{
    std::string bytes(18, '\0');
    bytes[2] = 2; // uncompressed true colour
    bytes[12] = static_cast<char>(width & 0xFF);
    bytes[13] = static_cast<char>(width >> 8);
    bytes[14] = static_cast<char>(height & 0xFF);
    bytes[15] = static_cast<char>(height >> 8);
    bytes[16] = static_cast<char>(components * 8);
    bytes[17] = components == 4 ? 8 : 0; // alpha bits; origin bottom left
    auto byte = [](float v) {
        return static_cast<char>(
            static_cast<unsigned char>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f));
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // u and v run 0..1 over pixel centres, v upwards.
            const Rgba8 c = shade((static_cast<float>(x) + 0.5f) / static_cast<float>(width),
                                  (static_cast<float>(y) + 0.5f) / static_cast<float>(height));
            bytes += byte(c.b);
            bytes += byte(c.g);
            bytes += byte(c.r);
            if (components == 4)
                bytes += byte(c.a);
        }
    return bytes;
}

// A small hash noise, so the pictures come out the same on every machine.
float hashNoise(int x, int y, int seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float smoothNoise(float u, float v, int cells, int seed)
{
    const float x = u * static_cast<float>(cells);
    const float y = v * static_cast<float>(cells);
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(x0);
    const float fy = y - static_cast<float>(y0);
    const float sx = fx * fx * (3.0f - 2.0f * fx);
    const float sy = fy * fy * (3.0f - 2.0f * fy);
    // Wrapping the lattice makes the picture tile.
    auto at = [&](int i, int j) {
        return hashNoise((i % cells + cells) % cells, (j % cells + cells) % cells, seed);
    };
    const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

float fractalNoise(float u, float v, int seed)
{
    return 0.5f * smoothNoise(u, v, 4, seed) + 0.3f * smoothNoise(u, v, 8, seed + 1) +
           0.2f * smoothNoise(u, v, 16, seed + 2);
}

Rgba8 grey(float, float)
{
    return {0.5f, 0.5f, 0.5f, 1};
}

void writePictures(const std::filesystem::path& tex)
{
    writeFile(tex / "PleaseWaitLoading.tga", tga(256, 256, [](float u, float v) {
                  // A dark screen with a bar across the middle.
                  const bool bar = v > 0.46f && v < 0.54f && u > 0.2f && u < 0.8f;
                  const float glow = 0.08f + 0.05f * std::sin(u * pi);
                  return bar ? Rgba8{0.9f, 0.6f, 0.2f, 1.0f} : Rgba8{glow, glow, glow * 1.5f, 1.0f};
              }));
    writeFile(tex / "sky.tga", tga(256, 256, [](float u, float v) {
                  const float cloud = std::max(0.0f, fractalNoise(u, v * 0.5f, 7) - 0.45f) * 1.6f;
                  return Rgba8{0.25f + 0.35f * v + cloud, 0.35f + 0.3f * v + cloud,
                               0.6f + 0.3f * v + cloud, 1.0f};
              }));
    writeFile(tex / "checker.tga", tga(128, 128, [](float u, float v) {
                  const bool dark = (static_cast<int>(u * 8.0f) + static_cast<int>(v * 8.0f)) % 2;
                  const float n = 0.85f + 0.15f * fractalNoise(u, v, 3);
                  return dark ? Rgba8{0.25f * n, 0.3f * n, 0.35f * n, 1.0f}
                              : Rgba8{0.8f * n, 0.78f * n, 0.7f * n, 1.0f};
              }));
    writeFile(tex / "marble.tga", tga(128, 128, [](float u, float v) {
                  const float vein =
                      0.5f + 0.5f * std::sin((u + fractalNoise(u, v, 11) * 1.5f) * 6.0f * pi);
                  return Rgba8{0.55f + 0.4f * vein, 0.5f + 0.35f * vein, 0.45f + 0.3f * vein, 1.0f};
              }));
    writeFile(tex / "Flare1.tga", tga(128, 128, [](float u, float v) {
                  const float dx = u - 0.5f;
                  const float dy = v - 0.5f;
                  const float r = std::sqrt(dx * dx + dy * dy) * 2.0f;
                  const float core = std::max(0.0f, 1.0f - r);
                  const float ray = std::max(0.0f, 1.0f - std::fabs(dx) * 30.0f) * (1.0f - r) +
                                    std::max(0.0f, 1.0f - std::fabs(dy) * 30.0f) * (1.0f - r);
                  const float i =
                      std::clamp(core * core * core + 0.5f * std::max(ray, 0.0f), 0.0f, 1.0f);
                  return Rgba8{i, i * 0.85f, i * 0.6f, i};
              }));
    writeFile(tex / "black.tga", tga(8, 8, [](float, float) { return Rgba8{0, 0, 0, 1}; }));
    // The render target starts as a neutral grey; the texture layer's first copy replaces it.
    // It has no alpha channel: clears leave alpha 0, which would cut the backdrop out.
    writeFile(tex / "glowtex.tga", tga(256, 256, grey, 3));
}

// ---------------------------------------------------------------------------------------------
// Meshes: triangles only, built with the winding the mesh loader's normals expect.

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

// ---------------------------------------------------------------------------------------------
// Scene text, laid out as LightWave writes it.

enum Shape { TCB = 0, Hermite = 1, Bezier = 2, Linear = 3, Stepped = 4, Bezier2D = 5 };
enum Behavior {
    Reset = 0,
    Constant = 1,
    Repeat = 2,
    Oscillate = 3,
    OffsetRepeat = 4,
    LinearExtrapolate = 5
};

struct Key {
    float value;
    float time;
    Shape shape = TCB;
    std::array<float, 6> p = {};
};

std::string num(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::string envelope(const std::vector<Key>& keys, Behavior pre = Constant,
                     Behavior post = Constant)
{
    std::string text = "{ Envelope\n  " + std::to_string(keys.size()) + "\n";
    for (const Key& key : keys) {
        text += "  Key " + num(key.value) + " " + num(key.time) + " " + std::to_string(key.shape);
        for (float p : key.p)
            text += " " + num(p);
        text += "\n";
    }
    return text + "  Behaviors " + std::to_string(pre) + " " + std::to_string(post) + "\n}\n";
}

std::string constant(float value)
{
    return envelope({{value, 0}});
}

// Position, heading, pitch, bank and scale: nine envelopes; unset ones are constants.
struct Motion {
    std::array<std::string, 9> channels;

    Motion(float x = 0, float y = 0, float z = 0, float h = 0, float p = 0, float b = 0)
    {
        const float values[9] = {x, y, z, h, p, b, 1, 1, 1};
        for (std::size_t i = 0; i < 9; ++i)
            channels[i] = constant(values[i]);
    }
    Motion& set(int index, const std::string& envelopeText)
    {
        channels[static_cast<std::size_t>(index)] = envelopeText;
        return *this;
    }
    std::string text() const
    {
        std::string out = "NumChannels 9\n";
        for (std::size_t i = 0; i < 9; ++i)
            out += "Channel " + std::to_string(i) + "\n" + channels[i];
        return out;
    }
};

enum Channel { X = 0, Y = 1, Z = 2, H = 3, P = 4, B = 5 };

std::string header(int framesPerSecond, int lastFrame)
{
    return "LWSC\n3\n\nFirstFrame 0\nLastFrame " + std::to_string(lastFrame) +
           "\nFrameStep 1\nPreviewFirstFrame 0\nPreviewLastFrame " + std::to_string(lastFrame) +
           "\nPreviewFrameStep 1\nCurrentFrame 0\nFramesPerSecond " +
           std::to_string(framesPerSecond) + "\n\n";
}

// Every object block ends on "ShadowOptions", the one optional part after which the block reads
// no further word, so the scene reader sees the next keyword.
std::string object(const std::string& file, const Motion& motion, const std::string& options = "")
{
    return "LoadObjectLayer 1 " + file + "\nShowObject 6 3\nObjectMotion\n" + motion.text() +
           options + "ShadowOptions 1\n\n";
}

std::string light(const std::string& name, int type, float r, float g, float b,
                  const std::string& intensity, const Motion& motion,
                  const std::string& afterType = "")
{
    return "AddLight\nLightName " + name + "\nShowLight 0 5\nLightMotion\n" + motion.text() +
           "LightColor " + num(r) + " " + num(g) + " " + num(b) + "\nLightIntensity " + intensity +
           "AffectCaustics 1\nLightType " + std::to_string(type) + "\n" + afterType +
           "ShadowType 1\n\n";
}

// The camera reader reads one word past its settings ("ApertureHeight" here) and drops it.
std::string camera(const Motion& motion, float zoom = 3.2f)
{
    return "AddCamera\nCameraName Camera\nShowCamera 1 2\nCameraMotion\n" + motion.text() +
           "ZoomFactor " + num(zoom) +
           "\nResolutionMultiplier 1.0\nFrameSize 640 480\nPixelAspect 1\nMaskPosition 0 0 640 "
           "480\n"
           "MotionBlur 0\nFieldRendering 0\nApertureHeight 0.015\nAntialiasing 0\n\n";
}

// Black over the picture, fading in over the first 1.5 s and out again over the last second
// of a 7.5 s event.
std::string fadeThroughBlack()
{
    return "FGImage 0 0 0 0 \"tex/black.tga\"\nFGDissolve (envelope)\n" +
           envelope({{0, 0, TCB}, {1, 1.5f, TCB}, {1, 6.5f, Linear}, {0, 7.5f, Linear}}) + "\n";
}

// Turns steadily: heading from 0 by a full turn every period seconds, for ever.
std::string spin(float period, float offset = 0.0f)
{
    return envelope({{offset, 0, Linear}, {offset + 2.0f * pi, period, Linear}}, Constant,
                    OffsetRepeat);
}

// A distant light shines from its mirrored position seen from the camera, so the lights below
// sit opposite the side they light: below, behind and to the other side.
std::string orbitScene()
{
    std::string text = header(30, 900) + "AmbientColor 1 1 1\nAmbientIntensity 0.25\n\n";
    // Drawn without depth test, which a convex box with culled back faces does not need: the
    // glow layer clears only the colour ("cc"), and the depth left there is the last frame's.
    text += object("objects/colourbox.lwo", Motion().set(H, spin(3.0f)).set(P, spin(5.0f)),
                   "UnseenByCamera 1\n");
    text += light("Key", 0, 1, 1, 1, "0.9\n", Motion(-10, -20, 20));
    text += camera(Motion(0, 0, -6));
    return text + "BackdropColor 0.1 0.05 0.25\n";
}

std::string cityScene()
{
    std::string text = header(30, 900) + "AmbientColor 1 1 1\nAmbientIntensity 0.15\n\n";
    text += "FogType 1\nFogMinDistance 12\nFogMaxDistance 45\nFogColor 0.55 0.62 0.78\n\n";
    text += "BGImage 0 0 0 0 \"tex/sky.tga\"\n";
    text += fadeThroughBlack();
    text += object("objects/ground.lwo", Motion());
    // The big box shows what the glow layer rendered this frame.
    text += object("objects/screenbox.lwo",
                   Motion(0, 0.6f, 0)
                       .set(H, spin(8.0f))
                       .set(Y, envelope({{0.6f, 0, Hermite, {0, 0, 0, 0, 0, 0}},
                                         {1.0f, 1.0f, Hermite, {0, 0, 0, 0, 0, 0}}},
                                        Oscillate, Oscillate)));
    text += object("objects/colourbox.lwo",
                   Motion(3.2f, 0, 2.5f, 0, 0, 0).set(H, spin(2.5f)).set(B, spin(4.0f)));
    text += object("objects/pillar.lwo", Motion(-3.5f, -1, 3));
    text += object("objects/pillar.lwo", Motion(3.5f, -1, 6));
    text += object("objects/pillar.lwo", Motion(-3.5f, -1, 9));
    text += object("objects/panel.lwo", Motion(0, 2.5f, 14));
    text += light("Sun", 0, 1, 0.92f, 0.8f, "0.8\n", Motion(-20, -40, 40));
    // The flare light circles the scene: X and Z on oscillating curves a quarter period apart.
    text += light(
        "Flare1", 1, 1, 0.7f, 0.4f, "1.0\n",
        Motion(0, 1.5f, 0)
            .set(X, envelope({{-4, 0, TCB}, {4, 2, TCB}}, Oscillate, Oscillate))
            .set(Z, envelope({{0, 0, TCB}, {4, 1, TCB}, {0, 2, TCB}, {-4, 3, TCB}, {0, 4, TCB}},
                             Repeat, Repeat)),
        "FlareIntensity 0.9\nFlareNominalDistance 4\nFlareDissolve 0\nLensFlareFade 0\n");
    text += light("Spot", 2, 0.6f, 0.8f, 1.0f, "1.5\n",
                  Motion(0, 7, 0, 0, 1.5708f).set(H, spin(6.0f)), "LightConeAngle 25\n");
    // Camera 1 sweeps from side to side while it comes forward; every key shape and most
    // behaviours take part.
    Motion sweep(0, 1.2f, -14);
    sweep.set(X,
              envelope({{-4, 0, TCB, {0.3f, 0, 0}}, {4, 4, TCB, {-0.3f, 0.2f, 0.1f}}, {-4, 8, TCB}},
                       Constant, Oscillate));
    sweep.set(Y, envelope({{1.2f, 0, Bezier2D, {-0.5f, 0, 0.5f, 1.0f}},
                           {2.5f, 3, Bezier2D, {-0.5f, 0, 0.5f, 0}},
                           {1.2f, 6, Bezier2D, {-0.5f, 0.8f, 0.5f, 0}}},
                          Constant, Repeat));
    sweep.set(Z, envelope({{-14, 0, Linear}, {-13, 1, Linear}}, Constant, LinearExtrapolate));
    sweep.set(H, envelope({{0.3f, 0, Hermite, {0, 0, 0, 0, 0, 0}},
                           {-0.3f, 4, Hermite, {0, 0, 0, -0.1f, -0.1f, 0}},
                           {0.3f, 8, Bezier, {0, 0, 0, 0.1f, 0.1f, 0}}},
                          Constant, Repeat));
    sweep.set(
        P,
        envelope({{0.05f, 0, Stepped}, {0.1f, 2, Stepped}, {0.15f, 4, Stepped}, {0.1f, 6, Stepped}},
                 Constant, Reset));
    text += camera(sweep);
    // Camera 2 looks down from high up and circles slowly.
    Motion high(0, 9, -12, 0, 0.6f);
    high.set(X, envelope({{-6, 0, TCB}, {6, 7.5f, TCB}}, Constant, Constant));
    high.set(H, envelope({{0.45f, 0, TCB}, {-0.45f, 7.5f, TCB}}, Constant, Constant));
    text += camera(high, 2.4f);
    return text + "BackdropColor 0.2 0.25 0.35\n";
}

// The city's render passes: every kind of material part at least once.
std::string cityMaterials()
{
    return "# Render passes of the city scene.\n"
           "# The sky, then a faint marble veil over it through a constant alpha.\n"
           "BackgroundImage\n"
           ".\n"
           "BackgroundImage\n"
           "Blend Src ConstAlpha Dst 1-ConstAlpha ConstAlpha 0.2\n"
           "Set PriName marble PriMin LinMipLin PriMag Lin PriWrapU Mirror PriWrapV Mirror .\n"
           ".\n"
           "# The fade through black, tinted by a constant colour.\n"
           "ForegroundImage\n"
           "Blend Src SrcAlpha Dst 1-ConstColor ConstColor 0.2 0.1 0 1\n"
           "Depth Off\n"
           ".\n"
           "# The big box once as it is, then its inside added over it: the culled side is\n"
           "# flipped and nothing is hidden or written in depth.\n"
           "screenbox 1\n"
           ".\n"
           "screenbox 1\n"
           "Blend Src 1 Dst 1\n"
           "Depth Write Off Func Always\n"
           "Cull Front\n"
           ".\n"
           "# The third pillar sheared by a vertex program.\n"
           "pillar 3\n"
           "Vert shear\n"
           ".\n"
           "# The first pillar through register combiners: where its lighting is dark, the\n"
           "# marble turns to copper.\n"
           "pillar 1\n"
           "Frag\n"
           "  const0 = (1.0, 0.55, 0.25, 1);\n"
           "  { rgb { spare0 = tex0 * const0; spare1 = tex0 * col0; } }\n"
           "  out.rgb = lerp(col0, spare1, spare0);\n"
           "  out.a = one;\n"
           "End\n"
           ".\n"
           "# The second pillar in screen-space bands from a fragment program.\n"
           "pillar 2\n"
           "Pix bands\n"
           ".\n"
           "# Marble times the sky, repeated three times over it, on two texture units.\n"
           "panel 1\n"
           "Set PriName marble PriMin LinMipLin PriMag Lin PriAtp 4 PriWrapU Repeat PriWrapV "
           "Repeat\n"
           "    SecName sky SecMin Lin SecMag Near SecWrapU Mirror SecWrapV ClampEdge SecBias 1 .\n"
           ".\n";
}

// Shears the object along x by its height; passes colour, texture and fog distance on.
const char* const shearProgram = "!!ARBvp1.0\n"
                                 "PARAM mvp[4] = { state.matrix.mvp };\n"
                                 "PARAM mv[4] = { state.matrix.modelview };\n"
                                 "PARAM shear = { 0.6, 0, 0, 0 };\n"
                                 "TEMP p, eye;\n"
                                 "MAD p, vertex.position.y, shear, vertex.position;\n"
                                 "DP4 result.position.x, mvp[0], p;\n"
                                 "DP4 result.position.y, mvp[1], p;\n"
                                 "DP4 result.position.z, mvp[2], p;\n"
                                 "DP4 result.position.w, mvp[3], p;\n"
                                 "DP4 eye.z, mv[2], p;\n"
                                 "ABS result.fogcoord.x, eye.z;\n"
                                 "MOV result.color, vertex.color;\n"
                                 "MOV result.texcoord[0], vertex.texcoord[0];\n"
                                 "END\n";

// The texture times the colour, every other band of eight rows darkened; fog as usual.
const char* const bandsProgram = "!!ARBfp1.0\n"
                                 "OPTION ARB_fog_linear;\n"
                                 "PARAM rows = { 0.0625, 0.5, 0.5, 0 };\n"
                                 "TEMP colour, band;\n"
                                 "TEX colour, fragment.texcoord[0], texture[0], 2D;\n"
                                 "MUL colour, colour, fragment.color;\n"
                                 "MUL band.x, fragment.position.y, rows.x;\n"
                                 "FRC band.x, band.x;\n"
                                 "SGE band.x, band.x, rows.y;\n"
                                 "MAD band.x, band.x, rows.z, rows.z;\n"
                                 "MUL result.color.rgb, colour, band.x;\n"
                                 "MOV result.color.a, colour.a;\n"
                                 "END\n";

std::string morphScene()
{
    std::string text = header(30, 900) + "AmbientColor 0.8 0.8 1\nAmbientIntensity 0.2\n\n";
    text += fadeThroughBlack();
    // Object 1 morphs towards object 2, which is never drawn itself.
    text += object("objects/blob.lwo", Motion(-1.8f, 0, 0).set(H, spin(7.0f)),
                   "MorphAmount (envelope)\n" +
                       envelope({{0, 0, TCB}, {1, 1.2f, TCB}}, Oscillate, Oscillate) +
                       "MorphTarget 2\nMorphSurfaces 0\n");
    text += object("objects/spikes.lwo", Motion(-1.8f, 0, 0), "ObjectDissolve 1\n");
    // The mixer weighs the stretch and the ripple on two curves of their own.
    text += object("objects/mixer.lwo", Motion(1.8f, 0, 0).set(H, spin(-9.0f)),
                   "Plugin ItemMotionHandler 1 LW_MorphMixer\n2 1\nGroup Shape 2 Morphs 0\n"
                   "Morph 0 Stretch 0\n" +
                       envelope({{0, 0, TCB}, {1, 1.5f, TCB}, {0, 3, TCB}}, Repeat, Repeat) +
                       "End\nMorph 1 Ripple 0\n" +
                       envelope({{0, 0, Linear}, {1, 2.5f, Linear}}, Oscillate, Oscillate) +
                       "End\nEndPlugin\n");
    text +=
        object("objects/colourbox.lwo", Motion(0, 2.2f, 1).set(H, spin(3.0f)).set(P, spin(4.0f)),
               "PolygonSize 1\nUnseenByRays 1\n");
    text += light("Fill", 0, 0.7f, 0.7f, 1.0f, "0.6\n", Motion(15, -30, 30));
    text += light(
        "Warm", 1, 1.0f, 0.6f, 0.3f,
        "(envelope)\n" + envelope({{0.4f, 0}, {1.2f, 1}}, Oscillate, Oscillate),
        Motion(0, 2, -3).set(X, envelope({{-3, 0, TCB}, {3, 2.5f, TCB}}, Oscillate, Oscillate)));
    text += light("Top", 2, 1, 1, 1, "1.2\n", Motion(0, 5, 0, 0, 1.5708f), "LightConeAngle 35\n");
    Motion front(0, 0.5f, -8.5f);
    front.set(H, envelope({{-0.15f, 0, TCB}, {0.15f, 3.75f, TCB}}, Constant, Oscillate));
    front.set(X, envelope({{0.9f, 0, TCB}, {-0.9f, 3.75f, TCB}}, Constant, Oscillate));
    text += camera(front);
    Motion close(0, 2.5f, -6.5f, 0, 0.35f);
    close.set(B, envelope({{-0.1f, 0, Hermite, {0, 0, 0, 0, 0, 0}},
                           {0.1f, 3, Hermite, {0, 0, 0, 0, 0, 0}}},
                          Oscillate, Oscillate));
    text += camera(close, 2.6f);
    return text + "BackdropColor 0.12 0.04 0.16\n";
}

// Glowing squares drawn additively, without depth test or lighting, over whatever is there.
std::string sparksScene()
{
    std::string text = header(30, 900) + "AmbientColor 1 1 1\nAmbientIntensity 0\n\n";
    for (int i = 0; i < 6; ++i) {
        const float phase = static_cast<float>(i) * 1.047f;
        Motion m(0, 0, 0);
        m.set(X, envelope({{-3.0f + static_cast<float>(i) * 1.2f, 0, Linear},
                           {static_cast<float>(i) * 0.3f, 3, Linear}},
                          Constant, Oscillate));
        m.set(Y, envelope({{std::sin(phase) * 1.5f, 0, TCB}, {-std::sin(phase) * 1.5f, 1.5f, TCB}},
                          Oscillate, Oscillate));
        m.set(B, spin(2.0f + static_cast<float>(i) * 0.4f));
        text +=
            object("objects/spark.lwo", m, "UnaffectedByFog 1\nUnseenByRays 1\nUnseenByCamera 1\n");
    }
    text += camera(Motion(0, 0, -6));
    return text;
}

// ---------------------------------------------------------------------------------------------
// Music: a four-chord loop at 120 beats per minute with pad, bass, drums and an arpeggio.

struct Synth {
    int rate;
    std::vector<float> left, right;

    Synth(int sampleRate, float seconds)
        : rate(sampleRate),
          left(static_cast<std::size_t>(seconds * static_cast<float>(sampleRate))),
          right(left.size())
    {
    }

    // Adds a note from start for length seconds; voice gives the wave for phase (cycles) and
    // the time since the note began.
    template <class Voice> void note(float start, float length, float pan, Voice voice)
    {
        const auto first = static_cast<std::size_t>(start * static_cast<float>(rate));
        const auto count = static_cast<std::size_t>(length * static_cast<float>(rate));
        for (std::size_t i = 0; i < count && first + i < left.size(); ++i) {
            const float t = static_cast<float>(i) / static_cast<float>(rate);
            const float v = voice(t);
            left[first + i] += v * (1.0f - pan);
            right[first + i] += v * pan;
        }
    }
};

float midiHz(int note)
{
    return 440.0f * std::pow(2.0f, static_cast<float>(note - 69) / 12.0f);
}

DecodedAudio composeMusic(float seconds, int sampleRate)
{
    Synth synth(sampleRate, seconds);
    constexpr float beat = 0.5f;
    // A minor, F major, C major, G major; one bar (four beats) each.
    const int chords[4][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};
    const int bars = static_cast<int>(seconds / (4 * beat));
    std::uint32_t noise = 12345;
    auto white = [&noise] {
        noise = noise * 1664525u + 1013904223u;
        return static_cast<float>(noise >> 8) / static_cast<float>(1 << 24) * 2.0f - 1.0f;
    };
    for (int bar = 0; bar < bars; ++bar) {
        const int* chord = chords[bar % 4];
        const float barStart = static_cast<float>(bar) * 4 * beat;
        // Pad: the three chord notes, slightly detuned left and right, with a slow swell.
        for (int n = 0; n < 3; ++n) {
            const float hz = midiHz(chord[n]);
            for (int side = 0; side < 2; ++side) {
                const float detune = side ? 1.003f : 0.997f;
                synth.note(barStart, 4 * beat + 0.3f, side ? 0.8f : 0.2f, [=](float t) {
                    const float swell = std::min(1.0f, t / 0.6f) * std::exp(-t * 0.35f);
                    const float phase = 2.0f * pi * hz * detune * t;
                    return 0.035f * swell * (std::sin(phase) + 0.3f * std::sin(2.0f * phase));
                });
            }
        }
        // Bass on every eighth, from bar 1.
        if (bar >= 1)
            for (int e = 0; e < 8; ++e) {
                const float hz = midiHz(chord[0] - 24 + (e % 4 == 3 ? 12 : 0));
                synth.note(barStart + static_cast<float>(e) * beat * 0.5f, beat * 0.45f, 0.5f,
                           [=](float t) {
                               const float phase = hz * t;
                               const float saw = 2.0f * (phase - std::floor(phase + 0.5f));
                               return 0.16f * saw * std::exp(-t * 7.0f);
                           });
            }
        // Kick on every beat from bar 2, hi-hat on the off-beats from bar 4.
        for (int b = 0; b < 4; ++b) {
            const float at = barStart + static_cast<float>(b) * beat;
            if (bar >= 2)
                synth.note(at, 0.3f, 0.5f, [](float t) {
                    const float phase =
                        2.0f * pi * (45.0f * t + 60.0f * (1.0f - std::exp(-t * 30.0f)) / 30.0f);
                    return 0.5f * std::sin(phase) * std::exp(-t * 9.0f);
                });
            if (bar >= 4) {
                float last = 0.0f;
                synth.note(at + beat * 0.5f, 0.06f, 0.65f, [&](float t) {
                    const float n = white();
                    const float high = n - last;
                    last = n;
                    return 0.07f * high * std::exp(-t * 60.0f);
                });
            }
        }
        // Arpeggio in sixteenths from bar 6, up and down the chord an octave higher.
        if (bar >= 6)
            for (int s = 0; s < 16; ++s) {
                const int order[4] = {0, 1, 2, 1};
                const float hz = midiHz(chord[order[s % 4]] + 12 + (s >= 8 ? 12 : 0));
                synth.note(barStart + static_cast<float>(s) * beat * 0.25f, beat * 0.22f,
                           s % 2 ? 0.3f : 0.7f, [=](float t) {
                               const float phase = 2.0f * pi * hz * t;
                               const float square = std::sin(phase) + std::sin(3 * phase) / 3 +
                                                    std::sin(5 * phase) / 5;
                               return 0.05f * square * std::exp(-t * 12.0f);
                           });
            }
    }

    DecodedAudio audio;
    audio.sampleRate = sampleRate;
    audio.channels = 2;
    audio.samples.resize(synth.left.size() * 2);
    float peak = 0.0f;
    for (std::size_t i = 0; i < synth.left.size(); ++i)
        peak = std::max({peak, std::fabs(synth.left[i]), std::fabs(synth.right[i])});
    const float gain = peak > 0.0f ? 0.8f / peak : 1.0f;
    const float fade = std::min(2.0f, seconds * 0.25f);
    for (std::size_t i = 0; i < synth.left.size(); ++i) {
        // Short fades at both ends keep the first and last samples free of clicks.
        const float t = static_cast<float>(i) / static_cast<float>(sampleRate);
        const float edge = std::min({1.0f, t / 0.01f, (seconds - t) / fade});
        audio.samples[2 * i] = synth.left[i] * gain * edge;
        audio.samples[2 * i + 1] = synth.right[i] * gain * edge;
    }
    return audio;
}

void writeMusic(const std::filesystem::path& path, float seconds)
{
    std::filesystem::create_directories(path.parent_path());
    if (!writeAudioFile(path.string(), AudioFileFormat::OggVorbis, composeMusic(seconds, 44100),
                        0.25))
        throw LoadError("Cannot write " + path.string());
}

} // namespace

void writeSampleDemo(const std::string& folder)
{
    const std::filesystem::path root(folder);
    writePictures(root / "tex");
    writeMeshes(root);
    writeFile(root / "scn" / "orbit.lws", orbitScene());
    writeFile(root / "scn" / "city.lws", cityScene());
    writeFile(root / "scn" / "city.txt", cityMaterials());
    writeFile(root / "shd" / "shear.txt", shearProgram);
    writeFile(root / "shd" / "bands.txt", bandsProgram);
    writeFile(root / "scn" / "morph.lws", morphScene());
    writeFile(root / "scn" / "sparks.lws", sparksScene());
    writeMusic(root / "music.ogg", 30.0f);
    writeFile(root / "defaultdemoconfig.txt", "window 640 480 32 24\n4 3\nmusic.ogg . tex scn\n"
                                              "main 0.0 30.0\n"
                                              "glow glowtex\n"
                                              "final screen\n"
                                              "overlay screen\n");
    writeFile(
        root / "main.txt",
        "# The glow layer renders a spinning box into the texture glowtex, which the big box\n"
        "# of the city scene wears; the final layer shows the city, then the morphs; the\n"
        "# overlay adds sparks over the morphs. A colour-only clear (cc) keeps the depth of\n"
        "# whatever was drawn before, so it suits scenes drawn without depth test; the\n"
        "# city covers the screen with its background, so clearing its depth (cz) is enough.\n"
        "glow cc orbit 1 00:00:00:000\n"
        "glow none 00:00:15:000\n"
        "\n"
        "final cl city 1 00:00:00:000\n"
        "final cz city 2 00:00:07:500\n"
        "final cl morph 1 00:00:15:000\n"
        "final cl morph 2 00:00:22:500\n"
        "\n"
        "overlay none 00:00:00:000\n"
        "overlay nc sparks 1 00:00:17:000\n"
        "overlay cz sparks 1 00:00:24:000\n"
        "overlay no 00:00:29:000\n");
}

void writeTinyDemo(const std::string& folder, float musicSeconds, float endTime)
{
    const std::filesystem::path root(folder);
    const std::filesystem::path tex = root / "tex";
    writeFile(tex / "PleaseWaitLoading.tga", tga(16, 16, [](float, float) {
                  return Rgba8{0.2f, 0.2f, 0.2f, 1};
              }));
    writeFile(tex / "glowtex.tga", tga(64, 64, grey, 3));
    std::filesystem::create_directories(root / "objects");
    MeshBuilder screenBox(MeshFlag::TexCoords0, "glowtex");
    box(screenBox, {0, 0, 0}, {1, 1, 1}, white);
    writePo2File((root / "objects" / "screenbox.po2").string(), screenBox.mesh);
    MeshBuilder colourBox(MeshFlag::Colours);
    box(colourBox, {0, 0, 0}, {0.8f, 0.8f, 0.8f}, rainbow);
    writePo2File((root / "objects" / "colourbox.po2").string(), colourBox.mesh);
    std::string scene = header(30, 300) + "AmbientColor 1 1 1\nAmbientIntensity 0.3\n\n";
    scene += object("objects/colourbox.lwo", Motion().set(H, spin(2.0f)));
    scene += object("objects/screenbox.lwo", Motion(0, 0, 3).set(P, spin(3.0f)));
    scene += light("Key", 0, 1, 1, 1, "0.8\n", Motion(-10, -20, 20));
    scene += camera(Motion(0, 0, -4));
    writeFile(root / "scn" / "tiny.lws", scene + "BackdropColor 0.1 0.1 0.3\n");
    writeMusic(root / "music.ogg", musicSeconds);
    writeFile(root / "defaultdemoconfig.txt",
              "window 160 120 32 24 4 3 music.ogg . tex scn\ntiny 0.0 " + num(endTime) +
                  " glow glowtex final screen\n");
    writeFile(root / "tiny.txt", "glow cl tiny 1 00:00:00:000\nfinal cl tiny 1 00:00:00:100\n");
}
