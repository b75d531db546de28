// Reading and uploading a 1024 x 1024 picture as JPEG and as TGA, interleaved with libjpeg-turbo
// (or a plain file read) and a bare glTexImage2D doing the same work.
#include "Interleaved.h"
#include "image/Image.h"
#include "image/TextureCache.h"
#include "image/TextureUpload.h"
#include "jpeg/JpegTestFiles.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
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

// libjpeg-turbo decoding straight into a caller's buffer in the byte order the upload takes.
void decodeJpeg(const std::string& path, std::vector<std::uint8_t>& buffer)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    buffer.resize(std::size_t{info.output_width} * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = buffer.data() + std::size_t{info.output_scanline} * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
}

// The file's bytes, read plainly.
void readFile(const std::string& path, std::vector<std::uint8_t>& buffer)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::fseek(file, 0, SEEK_END);
    buffer.resize(static_cast<std::size_t>(std::ftell(file)));
    std::fseek(file, 0, SEEK_SET);
    benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), file));
    std::fclose(file);
}

// A texture made, filled with mipmaps generated as the player asks for them, finished and
// deleted: the least any texture load can cost.
void bareUpload(const std::uint8_t* bgr)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, side, side, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, bgr);
    glFinish();
    glDeleteTextures(1, &name);
}

// Read and upload as the texture cache does, mipmaps included; glFinish keeps the driver's work
// inside the timing and the texture is deleted at the end of each round, as in the baseline.
std::function<void()> playerLoad(const std::string& path)
{
    return [path] {
        Texture texture(path);
        uploadImage(texture, readImage(path));
        glFinish();
    };
}

void BM_JpegTexture(benchmark::State& state)
{
    ensureOffscreenGl(64, 64);
    std::vector<std::uint8_t> buffer;
    const auto baseline = [&buffer] {
        decodeJpeg(files().jpeg, buffer);
        bareUpload(buffer.data());
    };
    runInterleaved(state, "jpeg_texture_over_decode_and_bare_upload",
                   {playerLoad(files().jpeg), baseline});
}

void BM_TgaTexture(benchmark::State& state)
{
    ensureOffscreenGl(64, 64);
    std::vector<std::uint8_t> buffer;
    const auto baseline = [&buffer] {
        readFile(files().tga, buffer);
        bareUpload(buffer.data() + 18);
    };
    runInterleaved(state, "tga_texture_over_read_and_bare_upload",
                   {playerLoad(files().tga), baseline});
}

// The reader alone next to the decode alone: what the reader adds before GL is involved.
void BM_JpegRead(benchmark::State& state)
{
    std::vector<std::uint8_t> buffer;
    const auto player = [] {
        Image image = readImage(files().jpeg);
        benchmark::DoNotOptimize(image.pixels.data());
    };
    const auto baseline = [&buffer] {
        decodeJpeg(files().jpeg, buffer);
        benchmark::DoNotOptimize(buffer.data());
    };
    runInterleaved(state, "jpeg_read_over_libjpeg_decode", {player, baseline});
}

constexpr int rounds = 40;
BENCHMARK(BM_JpegTexture)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(rounds);
BENCHMARK(BM_TgaTexture)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(rounds);
BENCHMARK(BM_JpegRead)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(rounds);

} // namespace

int main(int argc, char** argv)
{
    return interleavedMain(argc, argv);
}
