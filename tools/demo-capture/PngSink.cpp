#include "FrameSink.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

constexpr int frameNumberDigits = 6;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string systemReason()
{
    return std::strerror(errno);
}

// Numbered PNG frames in a folder; the WAV of the span is written when the capture closes.
class PngSink final : public FrameSink {
public:
    PngSink(std::filesystem::path folderPath, SinkSetup sinkSetup)
        : folder(std::move(folderPath)), setup(std::move(sinkSetup))
    {
    }

    bool writeFrame(std::int64_t index, const FramePixels& pixels) override
    {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(setup.width);
        image.height = static_cast<png_uint_32>(setup.height);
        image.format = PNG_FORMAT_BGR; // written as RGB: the order is the input's
        // Unfiltered at zlib level 3: several times faster than the default for files a
        // quarter larger, which keeps the capture near the render rate.
        image.flags = PNG_IMAGE_FLAG_FAST;
        // A negative stride hands libpng the bottom-up rows top row first.
        const auto stride = -static_cast<png_int_32>(setup.width * 3);
        // Room for the largest PNG the picture can make, so that it is compressed once rather
        // than once more only to learn its size.
        encoded.resize(PNG_IMAGE_PNG_SIZE_MAX(image));
        png_alloc_size_t size = encoded.size();
        if (!png_image_write_to_memory(&image, encoded.data(), &size, 0, pixels.data(), stride,
                                       nullptr))
            return fail(std::string("cannot encode a PNG frame: ") + image.message);

        const std::string path = (folder / frameFileName(setup.firstIndex + index)).string();
        return writeWhole(path, encoded.data(), size);
    }

    bool finish(std::int64_t frames, bool complete) override
    {
        if (!setup.withAudio)
            return true;
        const DecodedAudio audio = audioSegment(
            setup.audio,
            complete ? -1 : audioFramesFor(frames, setup.rate, setup.audio.sampleRate()));
        const std::string path = (folder / "audio.wav").string();
        if (!writeAudioFile(path, AudioFileFormat::Wav, audio))
            return fail("cannot write " + path);
        return true;
    }

private:
    bool writeWhole(const std::string& path, const void* bytes, std::size_t size)
    {
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
        if (!file)
            return fail("cannot write " + path + ": " + systemReason());
        // A full disk may only show when the buffer is flushed at close.
        const bool written = std::fwrite(bytes, 1, size, file.get()) == size;
        const bool closed = std::fclose(file.release()) == 0;
        if (!written || !closed)
            return fail("cannot write " + path + ": " + systemReason());
        return true;
    }

    std::filesystem::path folder;
    SinkSetup setup;
    std::vector<unsigned char> encoded;
};

} // namespace

std::string frameFileName(std::int64_t index)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%0*lld.png", frameNumberDigits,
                  static_cast<long long>(index));
    return name;
}

std::unique_ptr<FrameSink> openPngSink(const std::string& folder, SinkSetup setup,
                                       std::string& error)
{
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (failure) {
        error = "cannot create " + folder + ": " + failure.message();
        return nullptr;
    }
    // Probed now, so an unwritable folder is reported before anything is loaded.
    const std::filesystem::path probe = std::filesystem::path(folder) / ".demo-capture-probe";
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(probe.string().c_str(), "wb"));
    if (!file) {
        error = "cannot write into " + folder + ": " + systemReason();
        return nullptr;
    }
    file.reset();
    std::filesystem::remove(probe, failure);
    return std::make_unique<PngSink>(folder, std::move(setup));
}
