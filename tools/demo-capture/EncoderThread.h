#pragma once

#include "FrameSink.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Runs a sink on its own thread, so that rendering the next frame overlaps encoding the last.
// A few frames wait in a queue; the renderer blocks when it is full, and the pixel buffers go
// round between the two threads instead of being allocated for each frame.
class EncoderThread {
public:
    explicit EncoderThread(std::unique_ptr<FrameSink> sink);
    EncoderThread(const EncoderThread&) = delete;
    EncoderThread& operator=(const EncoderThread&) = delete;
    ~EncoderThread();

    // A buffer for the next frame, of any size and contents.
    FramePixels takeBuffer();
    // Queues the next frame; false once the sink has failed (see error()).
    bool submit(FramePixels pixels);
    // Writes what is queued and closes the output; false on failure.
    bool finish(bool complete);

    std::string error();
    std::int64_t framesWritten();

private:
    void run();

    std::unique_ptr<FrameSink> sink;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<FramePixels> queue;
    std::vector<FramePixels> spare;
    std::int64_t written = 0;
    bool failed = false;
    bool closing = false;
    std::thread worker; // last: starts once everything above exists
};
