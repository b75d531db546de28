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
// Music: a four-chord loop at 120 beats per minute with pad, bass, drums and an arpeggio.

struct Synth {
    int rate;
    std::vector<float> left, right;

    Synth(int sampleRate, float seconds)
        : rate(sampleRate),
          left(static_cast<std::size_t>(seconds * static_cast<float>(sampleRate))),
          right(left.size())
    {
    }

    // Adds a note from start for length seconds; voice gives the wave for phase (cycles) and
    // the time since the note began.
    template <class Voice> void note(float start, float length, float pan, Voice voice)
    {
        const auto first = static_cast<std::size_t>(start * static_cast<float>(rate));
        const auto count = static_cast<std::size_t>(length * static_cast<float>(rate));
        for (std::size_t i = 0; i < count && first + i < left.size(); ++i) {
            const float t = static_cast<float>(i) / static_cast<float>(rate);
            const float v = voice(t);
            left[first + i] += v * (1.0f - pan);
            right[first + i] += v * pan;
        }
    }
};

float midiHz(int note)
{
    return 440.0f * std::pow(2.0f, static_cast<float>(note - 69) / 12.0f);
}

DecodedAudio composeMusic(float seconds, int sampleRate)
{
    Synth synth(sampleRate, seconds);
    constexpr float beat = 0.5f;
    // A minor, F major, C major, G major; one bar (four beats) each.
    const int chords[4][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};
    const int bars = static_cast<int>(seconds / (4 * beat));
    std::uint32_t noise = 12345;
    auto white = [&noise] {
        noise = noise * 1664525u + 1013904223u;
        return static_cast<float>(noise >> 8) / static_cast<float>(1 << 24) * 2.0f - 1.0f;
    };
    for (int bar = 0; bar < bars; ++bar) {
        const int* chord = chords[bar % 4];
        const float barStart = static_cast<float>(bar) * 4 * beat;
        // Pad: the three chord notes, slightly detuned left and right, with a slow swell.
        for (int n = 0; n < 3; ++n) {
            const float hz = midiHz(chord[n]);
            for (int side = 0; side < 2; ++side) {
                const float detune = side ? 1.003f : 0.997f;
                synth.note(barStart, 4 * beat + 0.3f, side ? 0.8f : 0.2f, [=](float t) {
                    const float swell = std::min(1.0f, t / 0.6f) * std::exp(-t * 0.35f);
                    const float phase = 2.0f * pi * hz * detune * t;
                    return 0.035f * swell * (std::sin(phase) + 0.3f * std::sin(2.0f * phase));
                });
            }
        }
        // Bass on every eighth, from bar 1.
        if (bar >= 1)
            for (int e = 0; e < 8; ++e) {
                const float hz = midiHz(chord[0] - 24 + (e % 4 == 3 ? 12 : 0));
                synth.note(barStart + static_cast<float>(e) * beat * 0.5f, beat * 0.45f, 0.5f,
                           [=](float t) {
                               const float phase = hz * t;
                               const float saw = 2.0f * (phase - std::floor(phase + 0.5f));
                               return 0.16f * saw * std::exp(-t * 7.0f);
                           });
            }
        // Kick on every beat from bar 2, hi-hat on the off-beats from bar 4.
        for (int b = 0; b < 4; ++b) {
            const float at = barStart + static_cast<float>(b) * beat;
            if (bar >= 2)
                synth.note(at, 0.3f, 0.5f, [](float t) {
                    const float phase =
                        2.0f * pi * (45.0f * t + 60.0f * (1.0f - std::exp(-t * 30.0f)) / 30.0f);
                    return 0.5f * std::sin(phase) * std::exp(-t * 9.0f);
                });
            if (bar >= 4) {
                float last = 0.0f;
                synth.note(at + beat * 0.5f, 0.06f, 0.65f, [&](float t) {
                    const float n = white();
                    const float high = n - last;
                    last = n;
                    return 0.07f * high * std::exp(-t * 60.0f);
                });
            }
        }
        // Arpeggio in sixteenths from bar 6, up and down the chord an octave higher.
        if (bar >= 6)
            for (int s = 0; s < 16; ++s) {
                const int order[4] = {0, 1, 2, 1};
                const float hz = midiHz(chord[order[s % 4]] + 12 + (s >= 8 ? 12 : 0));
                synth.note(barStart + static_cast<float>(s) * beat * 0.25f, beat * 0.22f,
                           s % 2 ? 0.3f : 0.7f, [=](float t) {
                               const float phase = 2.0f * pi * hz * t;
                               const float square = std::sin(phase) + std::sin(3 * phase) / 3 +
                                                    std::sin(5 * phase) / 5;
                               return 0.05f * square * std::exp(-t * 12.0f);
                           });
            }
    }

    DecodedAudio audio;
    audio.sampleRate = sampleRate;
    audio.channels = 2;
    audio.samples.resize(synth.left.size() * 2);
    float peak = 0.0f;
    for (std::size_t i = 0; i < synth.left.size(); ++i)
        peak = std::max({peak, std::fabs(synth.left[i]), std::fabs(synth.right[i])});
    const float gain = peak > 0.0f ? 0.8f / peak : 1.0f;
    const float fade = std::min(2.0f, seconds * 0.25f);
    for (std::size_t i = 0; i < synth.left.size(); ++i) {
        // Short fades at both ends keep the first and last samples free of clicks.
        const float t = static_cast<float>(i) / static_cast<float>(sampleRate);
        const float edge = std::min({1.0f, t / 0.01f, (seconds - t) / fade});
        audio.samples[2 * i] = synth.left[i] * gain * edge;
        audio.samples[2 * i + 1] = synth.right[i] * gain * edge;
    }
    return audio;
}

} // namespace

void writeMusic(const std::filesystem::path& path, float seconds)
{
    std::filesystem::create_directories(path.parent_path());
    if (!writeAudioFile(path.string(), AudioFileFormat::OggVorbis, composeMusic(seconds, 44100),
                        0.25))
        throw LoadError("Cannot write " + path.string());
}
