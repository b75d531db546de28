#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A written video file decoded with libavcodec: every picture as RGB (top row first) with its
// time, and the audio as interleaved floats.
struct DecodedVideo {
    struct Picture {
        double seconds = 0.0;
        std::vector<unsigned char> rgb;
    };
    int width = 0;
    int height = 0;
    std::vector<Picture> pictures; // in presentation order
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;
};

// Empty, with a test failure added, when the file does not open or decode.
DecodedVideo decodeVideo(const std::string& path);

// Peak signal-to-noise ratio of b against a, in dB (infinite when equal).
double psnr(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);
