#include "platform/AudioOutput.h"

#include "platform/AudioFile.h"

#include <SDL.h>
#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifndef DP_SNDFILE_BUILD_VERSION
#define DP_SNDFILE_BUILD_VERSION "0"
#endif

// About 23 ms at 44.1 kHz: short enough that the position estimate stays close to what is heard.
constexpr int requestedFrames = 1024;

namespace {

// alsa-lib writes every configuration step it cannot take to standard error: eight lines on a
// machine without a sound card before SDL gives up on it. A device that does not open is
// reported once, by the caller; SDL loads the same alsa-lib, so this handler reaches it.
void quietAlsaError(const char*, int, const char*, int, const char*, ...) {}

} // namespace

std::unique_ptr<AudioOutput> AudioOutput::open(int sampleRate, int channels, Fill fill)
{
    snd_lib_error_set_handler(quietAlsaError);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return nullptr;
    SDL_AudioSpec wanted{};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = static_cast<Uint8>(channels);
    wanted.samples = requestedFrames;
    wanted.callback = &AudioOutput::callback;
    // The object exists before the device, since the callback may run as soon as it is unpaused.
    auto output = std::make_unique<AudioOutput>(Key{}, channels, std::move(fill));
    wanted.userdata = output.get();
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts rate, channels and format to what the hardware takes, so
    // the callback always sees the file's own layout.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    output->device = device;
    output->deviceFrames = obtained.samples > 0 ? obtained.samples : requestedFrames;
    return output;
}

AudioOutput::AudioOutput(Key, int channels, Fill callbackFill)
    : channelCount(channels), fill(std::move(callbackFill))
{
}

AudioOutput::~AudioOutput()
{
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void AudioOutput::setPaused(bool paused)
{
    SDL_PauseAudioDevice(device, paused ? 1 : 0);
}

void AudioOutput::callback(void* user, unsigned char* stream, int bytes)
{
    auto* output = static_cast<AudioOutput*>(user);
    // The format is F32 in the file's channel layout, as requested: SDL converts behind us.
    const int frames = bytes / static_cast<int>(sizeof(float)) / output->channelCount;
    std::memset(stream, 0, static_cast<std::size_t>(bytes));
    output->fill(reinterpret_cast<float*>(stream), frames);
}

std::int64_t monotonicNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Leading digits of each dot-separated field from the first digit on, so that a name before
// the number ("libsndfile-") is passed over; text such as "1.2.0pre1" or "1.0.31-exp" stops the
// field there.
static std::vector<long> versionFields(const char* text)
{
    std::vector<long> fields;
    text += std::strcspn(text, "0123456789");
    while (*text) {
        char* end = nullptr;
        fields.push_back(std::strtol(text, &end, 10));
        const char* dot = std::strchr(end, '.');
        if (!dot)
            break;
        text = dot + 1;
    }
    return fields;
}

bool versionAtLeast(const char* linked, const char* built)
{
    const std::vector<long> have = versionFields(linked);
    const std::vector<long> want = versionFields(built);
    for (std::size_t i = 0; i < std::max(have.size(), want.size()); ++i) {
        const long a = i < have.size() ? have[i] : 0;
        const long b = i < want.size() ? want[i] : 0;
        if (a != b)
            return a > b;
    }
    return true;
}

bool audioLibrariesUpToDate()
{
    SDL_version compiled;
    SDL_VERSION(&compiled);
    SDL_version linked;
    SDL_GetVersion(&linked);
    if (SDL_VERSIONNUM(linked.major, linked.minor, linked.patch) <
        SDL_VERSIONNUM(compiled.major, compiled.minor, compiled.patch))
        return false;
    // An experimental build reports "libsndfile-1.0.31-exp": the number is the first one.
    return versionAtLeast(linkedSndfileVersion().c_str(), DP_SNDFILE_BUILD_VERSION);
}
