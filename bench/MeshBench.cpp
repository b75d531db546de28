// PO2 loading against a plain read of the same bytes, normals per vertex, and display-list
// against immediate-mode drawing on the offscreen Mesa context.
#include "GridMesh.h"
#include "mesh/Po2Reader.h"
#include "mesh/Po2Writer.h"
#include "render/MeshDraw.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdint>
#include <fstream>

namespace {

// A grid of quads split into triangles, with coordinates and colours. P is 16-bit, so a
// 181 x 181 grid (65,522 triangles) is about the most one file holds.
constexpr int gridSide = 181;

Po2Description colouredGrid()
{
    Po2Description mesh = gridMesh(gridSide, gridSide, true);
    mesh.flags |= MeshFlag::Colours;
    mesh.colours = {1, 1, 1, 1, 1, 0.5f, 0.5f, 1};
    for (std::size_t c = 0; c < mesh.vertexIndices.size(); ++c)
        mesh.colourIndices.push_back(static_cast<std::uint16_t>((c / 3) % 2));
    return mesh;
}

const TempDir& files()
{
    static const TempDir dir;
    static const bool written = (writePo2File(dir.file("grid.po2"), colouredGrid()), true);
    (void)written;
    return dir;
}

const TextureLookup noTextures = [](const std::string&) { return nullptr; };

void BM_LoadPo2(benchmark::State& state)
{
    const std::string path = files().file("grid.po2");
    std::size_t bytes = 0;
    for (auto _ : state) {
        Mesh mesh = readPo2(path, noTextures);
        bytes = mesh.cornerCount;
        benchmark::DoNotOptimize(mesh.normals.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(writePo2(colouredGrid()).size()));
    state.counters["triangles"] = static_cast<double>(bytes / 3);
}
BENCHMARK(BM_LoadPo2)->Unit(benchmark::kMillisecond);

void BM_PlainReadOfTheSameBytes(benchmark::State& state)
{
    const std::string path = files().file("grid.po2");
    std::size_t size = 0;
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}
BENCHMARK(BM_PlainReadOfTheSameBytes)->Unit(benchmark::kMillisecond);

void BM_ComputeNormals(benchmark::State& state)
{
    Mesh mesh = readPo2(files().file("grid.po2"), noTextures);
    for (auto _ : state) {
        computeNormals(mesh);
        benchmark::DoNotOptimize(mesh.normals.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * mesh.vertexCount);
}
BENCHMARK(BM_ComputeNormals)->Unit(benchmark::kMicrosecond);

// One frame of the grid, finished, so the time includes llvmpipe's rasterisation.
void drawFrames(benchmark::State& state, bool fromList)
{
    ensureOffscreenGl(256, 256);
    resetGlState();
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    Mesh mesh = readPo2(files().file("grid.po2"), noTextures);
    compileDisplayList(mesh);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (fromList)
            glCallList(mesh.displayList.get());
        else
            drawMeshPolygons(mesh);
        glFinish();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * mesh.cornerCount / 3);
}

void BM_DrawDisplayList(benchmark::State& state)
{
    drawFrames(state, true);
}
void BM_DrawImmediate(benchmark::State& state)
{
    drawFrames(state, false);
}
BENCHMARK(BM_DrawDisplayList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawImmediate)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
