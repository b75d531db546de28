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

// ---------------------------------------------------------------------------------------------
// Pictures: uncompressed 24- or 32-bit TGA, bottom row first, written pixel by pixel from a
// function.

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

} // namespace

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

void writeTinyPictures(const std::filesystem::path& tex)
{
    writeFile(tex / "PleaseWaitLoading.tga", tga(16, 16, [](float, float) {
                  return Rgba8{0.2f, 0.2f, 0.2f, 1};
              }));
    writeFile(tex / "glowtex.tga", tga(64, 64, grey, 3));
}
