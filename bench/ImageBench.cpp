// Reading and uploading a 1024 x 1024 picture, next to libjpeg-turbo decoding the same JPEG on
// its own. The JPEG reader should cost little beyond the decode itself; the ratio is printed at
// the end.
#include "image/Image.h"
#include "image/TextureCache.h"
#include "image/TextureUpload.h"
#include "jpeg/JpegTestFiles.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int side = 1024;

// Smooth gradients with some noise: closer to a photograph than a flat colour.
std::vector<std::uint8_t> photoPixels()
{
    std::vector<std::uint8_t> pixels;
    pixels.reserve(side * side * 3);
    unsigned noise = 12345;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) & 15);
            pixels.push_back(static_cast<std::uint8_t>((x / 4 + grain) & 255));
            pixels.push_back(static_cast<std::uint8_t>((y / 4 + grain) & 255));
            pixels.push_back(static_cast<std::uint8_t>(((x + y) / 8 + grain) & 255));
        }
    return pixels;
}

struct Files {
    TempDir dir;
    std::string jpeg;
    std::string tga;

    Files()
    {
        const std::vector<std::uint8_t> pixels = photoPixels();
        jpeg = dir.write("photo.jpg", encodeJpeg(side, side, 3, pixels, 90));
        std::string header(18, '\0');
        header[2] = 2;
        header[12] = static_cast<char>(side & 255);
        header[13] = static_cast<char>(side >> 8);
        header[14] = static_cast<char>(side & 255);
        header[15] = static_cast<char>(side >> 8);
        header[16] = 24;
        tga = dir.write("photo.tga", header + std::string(pixels.begin(), pixels.end()));
    }
};

const Files& files()
{
    static const Files shared;
    return shared;
}

void BM_LibjpegDecodeAlone(benchmark::State& state)
{
    std::vector<std::uint8_t> buffer(side * side * 3);
    for (auto _ : state) {
        std::FILE* file = std::fopen(files().jpeg.c_str(), "rb");
        jpeg_decompress_struct info{};
        jpeg_error_mgr error{};
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = buffer.data() + info.output_scanline * side * 3;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_LibjpegDecodeAlone)->Unit(benchmark::kMillisecond);

void BM_ReadJpegImage(benchmark::State& state)
{
    for (auto _ : state) {
        Image image = readImage(files().jpeg);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(BM_ReadJpegImage)->Unit(benchmark::kMillisecond);

void BM_ReadTgaImage(benchmark::State& state)
{
    for (auto _ : state) {
        Image image = readImage(files().tga);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(BM_ReadTgaImage)->Unit(benchmark::kMillisecond);

// Read and upload, mipmaps included; glFinish keeps the driver's work inside the timing.
void readAndUpload(benchmark::State& state, const std::string& path)
{
    ensureOffscreenGl(64, 64);
    for (auto _ : state) {
        Texture texture(path);
        uploadImage(texture, readImage(path));
        glFinish();
    }
}

void BM_ReadAndUploadJpeg(benchmark::State& state)
{
    readAndUpload(state, files().jpeg);
}
BENCHMARK(BM_ReadAndUploadJpeg)->Unit(benchmark::kMillisecond);

void BM_ReadAndUploadTga(benchmark::State& state)
{
    readAndUpload(state, files().tga);
}
BENCHMARK(BM_ReadAndUploadTga)->Unit(benchmark::kMillisecond);

// Prints as usual and remembers each run's time for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }

    struct Times {
        double real;
        double cpu; // steadier than real time on a shared machine
    };
    std::map<std::string, Times> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto decode = reporter.times.find("BM_LibjpegDecodeAlone");
    const auto read = reporter.times.find("BM_ReadJpegImage");
    if (decode != reporter.times.end() && read != reporter.times.end() &&
        decode->second.real > 0.0 && decode->second.cpu > 0.0)
        std::printf("readJpegImage / libjpeg-turbo decode alone: %.3f real time, %.3f CPU time\n",
                    read->second.real / decode->second.real, read->second.cpu / decode->second.cpu);
    benchmark::Shutdown();
    return 0;
}
