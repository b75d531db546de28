#include "FrameSink.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

std::optional<OutputKind> outputKindFor(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    std::error_code ignored;
    if (path.back() == '/' || std::filesystem::is_directory(path, ignored))
        return OutputKind::PngFolder;
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".mp4")
        return OutputKind::Mp4;
    if (extension == ".mkv")
        return OutputKind::Mkv;
    return std::nullopt;
}

AudioSpan audioSpan(const DecodedAudio& music, float from, float to)
{
    const double rate = music.sampleRate;
    AudioSpan span;
    span.music = &music;
    span.first = std::llround(static_cast<double>(from) * rate);
    span.frames = std::max<std::int64_t>(
        0, std::llround((static_cast<double>(to) - static_cast<double>(from)) * rate));
    return span;
}

void AudioSpan::read(std::int64_t offset, std::int64_t count, float* out) const
{
    const std::int64_t channelCount = channels();
    std::fill(out, out + count * channelCount, 0.0f);
    // Only the part that overlaps the music is copied; before and after it stays silent.
    const std::int64_t begin = std::clamp<std::int64_t>(first + offset, 0, music->frameCount());
    const std::int64_t end =
        std::clamp<std::int64_t>(first + offset + count, 0, music->frameCount());
    if (begin < end)
        std::copy(music->samples.begin() + static_cast<std::ptrdiff_t>(begin * channelCount),
                  music->samples.begin() + static_cast<std::ptrdiff_t>(end * channelCount),
                  out + (begin - first - offset) * channelCount);
}

DecodedAudio audioSegment(const AudioSpan& span, std::int64_t frames)
{
    DecodedAudio segment;
    segment.sampleRate = span.sampleRate();
    segment.channels = span.channels();
    const std::int64_t count = frames < 0 ? span.frames : std::min(frames, span.frames);
    segment.samples.resize(static_cast<std::size_t>(count * segment.channels));
    span.read(0, count, segment.samples.data());
    return segment;
}

std::int64_t audioFramesFor(std::int64_t frames, FrameRate rate, int sampleRate)
{
    const long double seconds = static_cast<long double>(frames) *
                                static_cast<long double>(rate.denominator) /
                                static_cast<long double>(rate.numerator);
    return std::llround(seconds * sampleRate);
}
