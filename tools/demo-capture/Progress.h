#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class FrameStats;

// Capture progress on a stream: on a terminal a bar redrawn in place with frames done and total,
// frames per second and time left; elsewhere (a log, a pipe) one line per tenth of the work.
// A null stream keeps it silent.
class Progress {
public:
    Progress(std::FILE* stream, bool terminal, std::int64_t totalFrames);

    void framesDone(std::int64_t done);
    // The closing line: frames, picture size, duration and output, or why it stopped early;
    // then the slowest frame's render time and demo time.
    void summary(std::int64_t frames, int width, int height, double seconds,
                 const std::string& output, bool interrupted, const FrameStats& renderTimes);

private:
    using Clock = std::chrono::steady_clock;

    void drawBar(std::int64_t done);

    std::FILE* out;
    bool isTerminal;
    std::int64_t total;
    int tenthsReported = 0;
    Clock::time_point started = Clock::now();
    Clock::time_point lastDrawn{};
    bool barShown = false;
};
