// lwo2po2's conversion of a 60,000-vertex LWO2 object with a UV map, a colour map and two
// morphs (read, convert, PO2 bytes written to memory), next to a plain read of the same file,
// in alternating rounds; lwo2po2's rate in MB/s of LWO2 is reported with the ratio.
#include "Interleaved.h"
#include "lwo/LwoConvert.h"
#include "lwo/LwoReader.h"
#include "mesh/Po2Writer.h"
#include "support/LwoWriter.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

constexpr std::uint32_t columns = 300;
constexpr std::uint32_t rows = 200; // 60,000 points, 59,501 quads
constexpr int rounds = 25;

std::string gridObject()
{
    using namespace lwo2;
    std::vector<float> xyz;
    std::vector<MapEntry> uv;
    std::vector<MapEntry> colour;
    std::vector<MapEntry> wave;
    std::vector<MapEntry> bulge;
    for (std::uint32_t y = 0; y < rows; ++y)
        for (std::uint32_t x = 0; x < columns; ++x) {
            const std::uint32_t point = y * columns + x;
            const float u = static_cast<float>(x) / float(columns - 1);
            const float v = static_cast<float>(y) / float(rows - 1);
            xyz.insert(xyz.end(), {u * 10.0f, v * 10.0f, 0.0f});
            uv.push_back({point, 0, {u, v}});
            colour.push_back({point, 0, {u, v, 1.0f - u}});
            wave.push_back({point, 0, {0.0f, 0.0f, u * v}});
            if (x % 2 == 0)
                bulge.push_back({point, 0, {0.0f, 0.0f, 0.5f}});
        }
    std::vector<std::vector<std::uint32_t>> quads;
    for (std::uint32_t y = 0; y + 1 < rows; ++y)
        for (std::uint32_t x = 0; x + 1 < columns; ++x) {
            const std::uint32_t p = y * columns + x;
            quads.push_back({p, p + 1, p + columns + 1, p + columns});
        }
    return iff::form(
        "LWO2", tags({"Grid"}) + layer(0, "grid") + points(xyz) + vertexMap("TXUV", 2, "UV", uv) +
                    vertexMap("RGB ", 3, "paint", colour) + vertexMap("MORF", 3, "wave", wave) +
                    vertexMap("MORF", 3, "bulge", bulge) + polygons("FACE", quads) +
                    still(1, "Images/grid.tga") + surface("Grid", {imageBlock("COLR", 1, "UV")}));
}

const TempDir& files()
{
    static const TempDir dir;
    static const bool written = [] {
        dir.write("grid.lwo", gridObject());
        return true;
    }();
    (void)written;
    return dir;
}

std::size_t convertOnce(const std::string& path)
{
    const Conversion conversion = convertLayer(readLwo(path), {}, path);
    const std::string po2 = writePo2(conversion.mesh);
    benchmark::DoNotOptimize(po2.data());
    return po2.size();
}

std::size_t readOnce(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    benchmark::DoNotOptimize(bytes.data());
    return bytes.size();
}

void BM_Lwo2po2(benchmark::State& state)
{
    const std::string path = files().file("grid.lwo");
    InterleavedPair pair{[&path] { convertOnce(path); }, [&path] { readOnce(path); }};
    pair.bytesPerRun = static_cast<double>(readOnce(path));
    runInterleaved(state, "lwo2po2_vs_read", pair);
}
BENCHMARK(BM_Lwo2po2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(rounds);

} // namespace

int main(int argc, char** argv)
{
    return interleavedMain(argc, argv);
}
