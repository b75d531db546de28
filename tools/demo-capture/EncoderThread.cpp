#include "EncoderThread.h"

namespace {

// Two frames queued are enough to keep the encoder busy while the next one renders.
constexpr std::size_t queueCapacity = 2;

} // namespace

EncoderThread::EncoderThread(std::unique_ptr<FrameSink> frameSink)
    : sink(std::move(frameSink)), worker([this] { run(); })
{
}

EncoderThread::~EncoderThread()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        closing = true;
    }
    changed.notify_all();
    if (worker.joinable())
        worker.join();
}

FramePixels EncoderThread::takeBuffer()
{
    std::lock_guard<std::mutex> guard(lock);
    if (spare.empty())
        return {};
    FramePixels pixels = std::move(spare.back());
    spare.pop_back();
    return pixels;
}

bool EncoderThread::submit(FramePixels pixels)
{
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return failed || queue.size() < queueCapacity; });
    if (failed)
        return false;
    queue.push_back(std::move(pixels));
    guard.unlock();
    changed.notify_all();
    return true;
}

void EncoderThread::run()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return closing || !queue.empty(); });
        if (queue.empty())
            return;
        FramePixels pixels = std::move(queue.front());
        const std::int64_t index = written;
        guard.unlock();
        const bool ok = sink->writeFrame(index, pixels);
        guard.lock();
        // Dequeued only now, so that finish() sees an empty queue only once all is written.
        queue.pop_front();
        spare.push_back(std::move(pixels));
        if (ok) {
            ++written;
        } else {
            failed = true;
            queue.clear();
        }
        changed.notify_all();
        if (failed)
            return;
    }
}

bool EncoderThread::finish(bool complete)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        closing = true;
    }
    changed.notify_all();
    worker.join();
    if (failed)
        return false;
    // The worker has ended, so the sink is this thread's alone now.
    if (!sink->finish(written, complete)) {
        failed = true;
        return false;
    }
    return true;
}

std::string EncoderThread::error()
{
    std::lock_guard<std::mutex> guard(lock);
    return failed ? sink->error() : std::string();
}

std::int64_t EncoderThread::framesWritten()
{
    std::lock_guard<std::mutex> guard(lock);
    return written;
}
