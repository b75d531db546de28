#include "platform/AudioFile.h"

#include "platform/FileMapping.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

constexpr sf_count_t blockFrames = 4096;
// Beyond this a header's frame count is not trusted for the reservation; decoding still reads
// everything the file holds.
constexpr sf_count_t maxReservedFrames = sf_count_t{48000} * 60 * 20;
constexpr int maxChannels = 8;

// libsndfile reads the mapped file through these, as it would read the descriptor: a position
// that may pass the end (reads there return nothing), and a refusal to seek before the start.
struct MappedReader {
    const FileMapping& file;
    sf_count_t position = 0;

    sf_count_t size() const { return static_cast<sf_count_t>(file.size()); }
};

MappedReader& readerOf(void* user)
{
    return *static_cast<MappedReader*>(user);
}

sf_count_t mappedLength(void* user)
{
    return readerOf(user).size();
}

sf_count_t mappedSeek(sf_count_t offset, int whence, void* user)
{
    MappedReader& reader = readerOf(user);
    sf_count_t base = 0;
    switch (whence) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = reader.position;
        break;
    case SEEK_END:
        base = reader.size();
        break;
    default:
        return -1;
    }
    if (offset < -base)
        return -1;
    reader.position = base + offset;
    return reader.position;
}

sf_count_t mappedRead(void* out, sf_count_t count, void* user)
{
    MappedReader& reader = readerOf(user);
    if (count <= 0 || reader.position >= reader.size())
        return 0;
    const sf_count_t got = std::min(count, reader.size() - reader.position);
    std::memcpy(out, reader.file.data() + reader.position, static_cast<std::size_t>(got));
    reader.position += got;
    return got;
}

sf_count_t mappedTell(void* user)
{
    return readerOf(user).position;
}

} // namespace

std::optional<DecodedAudio> decodeAudioFile(const std::string& path)
{
    const std::optional<FileMapping> mapped = FileMapping::open(path);
    if (!mapped)
        return std::nullopt;
    MappedReader reader{*mapped};
    // Reading only: libsndfile accepts no write callback then.
    SF_VIRTUAL_IO io{mappedLength, mappedSeek, mappedRead, nullptr, mappedTell};
    SF_INFO info{};
    SndfileHandle file(sf_open_virtual(&io, SFM_READ, &info, &reader));
    if (!file || info.channels <= 0 || info.channels > maxChannels || info.samplerate <= 0)
        return std::nullopt;

    DecodedAudio audio;
    audio.sampleRate = info.samplerate;
    audio.channels = info.channels;
    if (info.frames > 0)
        audio.samples.reserve(
            static_cast<std::size_t>(std::min(info.frames, maxReservedFrames) * info.channels));

    // MP3 and some Ogg files only estimate their length, so read until the decoder stops.
    std::vector<float> block(static_cast<std::size_t>(blockFrames * info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_float(file.get(), block.data(), blockFrames);
        if (got <= 0)
            break;
        audio.samples.insert(audio.samples.end(), block.begin(),
                             block.begin() + static_cast<std::ptrdiff_t>(got * info.channels));
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR || audio.samples.empty())
        return std::nullopt;
    return audio;
}

static int sndfileFormat(AudioFileFormat format)
{
    switch (format) {
    case AudioFileFormat::Wav:
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    case AudioFileFormat::Flac:
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case AudioFileFormat::OggVorbis:
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    }
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

bool writeAudioFile(const std::string& path, AudioFileFormat format, const DecodedAudio& audio,
                    double vorbisQuality)
{
    if (audio.channels <= 0 || audio.sampleRate <= 0)
        return false;
    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = audio.channels;
    info.format = sndfileFormat(format);
    SndfileHandle file(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file)
        return false;
    // Floats outside -1..1 are clipped rather than wrapped in the integer formats.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    if (format == AudioFileFormat::OggVorbis)
        sf_command(file.get(), SFC_SET_VBR_ENCODING_QUALITY, &vorbisQuality, sizeof vorbisQuality);

    const std::int64_t frames = audio.frameCount();
    for (std::int64_t done = 0; done < frames; done += blockFrames) {
        const sf_count_t count = std::min<sf_count_t>(blockFrames, frames - done);
        const float* from = audio.samples.data() + done * audio.channels;
        if (sf_writef_float(file.get(), from, count) != count)
            return false;
    }
    return true;
}

std::string linkedSndfileVersion()
{
    const char* version = sf_version_string();
    return version ? version : "";
}
