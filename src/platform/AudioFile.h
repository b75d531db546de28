#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A whole music file decoded to interleaved 32-bit float samples, so that playback seeks to the
// sample and never touches the disk.
struct DecodedAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples; // frames × channels, interleaved

    std::int64_t frameCount() const
    {
        return channels > 0 ? static_cast<std::int64_t>(samples.size()) / channels : 0;
    }
};

// Any format the installed libsndfile reads (WAV, FLAC, Ogg Vorbis, Opus, MP3), decoded from the
// file's read-only mapping. Empty when the file cannot be opened or decodes to nothing usable.
std::optional<DecodedAudio> decodeAudioFile(const std::string& path);

enum class AudioFileFormat : unsigned char { Wav, Flac, OggVorbis };

// Writes in blocks of 4096 frames: libvorbis overflows its stack when handed a long file in one
// call. vorbisQuality (0 to 1) applies to Ogg Vorbis only. Returns false when the file cannot be
// written.
bool writeAudioFile(const std::string& path, AudioFileFormat format, const DecodedAudio& audio,
                    double vorbisQuality = 0.4);

// "libsndfile-1.2.0" as the linked library reports it.
std::string linkedSndfileVersion();
