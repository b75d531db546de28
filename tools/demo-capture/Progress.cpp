#include "Progress.h"

#include "timeline/FrameStats.h"

#include <algorithm>

namespace {

constexpr int barWidth = 30;
constexpr int tenths = 10;
// The bar is redrawn at most this often, so a fast capture does not spend its time printing.
constexpr auto redrawInterval = std::chrono::milliseconds(100);

} // namespace

Progress::Progress(std::FILE* stream, bool terminal, std::int64_t totalFrames)
    : out(stream), isTerminal(terminal), total(std::max<std::int64_t>(totalFrames, 1))
{
}

void Progress::framesDone(std::int64_t done)
{
    if (!out)
        return;
    if (isTerminal) {
        const Clock::time_point now = Clock::now();
        if (done == total || now - lastDrawn >= redrawInterval) {
            lastDrawn = now;
            drawBar(done);
        }
        return;
    }
    const auto reached = static_cast<int>(done * tenths / total);
    if (reached <= tenthsReported)
        return;
    while (tenthsReported < reached) {
        ++tenthsReported;
        std::fprintf(out, "demo-capture: %d%% (%lld of %lld frames)\n", tenthsReported * tenths,
                     static_cast<long long>(done), static_cast<long long>(total));
    }
    std::fflush(out);
}

void Progress::drawBar(std::int64_t done)
{
    const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
    const double rate = elapsed > 0.0 ? static_cast<double>(done) / elapsed : 0.0;
    const double left = rate > 0.0 ? static_cast<double>(total - done) / rate : 0.0;
    const auto filled = static_cast<int>(done * barWidth / total);
    char bar[barWidth + 1];
    std::fill(bar, bar + barWidth, '.');
    std::fill(bar, bar + filled, '#');
    bar[barWidth] = '\0';
    const auto leftSeconds = static_cast<long long>(left + 0.5);
    std::fprintf(out, "\r[%s] %lld/%lld frames  %.1f fps  %lld:%02lld left ", bar,
                 static_cast<long long>(done), static_cast<long long>(total), rate,
                 leftSeconds / 60, leftSeconds % 60);
    std::fflush(out);
    barShown = true;
}

void Progress::summary(std::int64_t frames, int width, int height, double seconds,
                       const std::string& output, bool interrupted, const FrameStats& renderTimes)
{
    if (!out)
        return;
    if (barShown)
        std::fputc('\n', out);
    std::fprintf(out, "demo-capture: %s%lld frames, %dx%d, %.3f s, %s",
                 interrupted ? "interrupted, kept " : "", static_cast<long long>(frames), width,
                 height, seconds, output.c_str());
    if (renderTimes.frames() > 0)
        std::fprintf(out, ", slowest frame %.1f ms at %.3f s", renderTimes.worst(),
                     static_cast<double>(renderTimes.worstDemoTime()));
    std::fputc('\n', out);
    std::fflush(out);
}
