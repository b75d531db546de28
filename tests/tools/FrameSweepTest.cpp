// A guard against catastrophes, not a timing test: the bundled demo rendered at 200 frames for
// every second of demo time, every layer and scene, without encoding, must not have a single
// frame that takes seconds. A driver path that falls off a cliff (llvmpipe's anisotropic
// filtering once took 20 s for a frame of the city scene) shows up here as a frame a hundred
// times slower than the rest, far beyond any machine's noise.

#include "support/FrameSweep.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr double catastropheMilliseconds = 2000.0;

TEST(FrameSweep, NoFrameOfTheBundledDemoTakesSeconds)
{
    std::filesystem::current_path(DP_SAMPLES_DIR);
    CaptureStats stats;
    ASSERT_EQ(runCapture(frameSweepOptions(), &stats), exitDone);
    ASSERT_GT(stats.renderTimes.frames(), 0u);
    const double span = stats.renderTimes.lastDemoTime() - stats.renderTimes.firstDemoTime();
    EXPECT_GE(static_cast<double>(stats.renderTimes.frames()), span * sweepFramesPerSecond);
    EXPECT_LT(stats.renderTimes.worst(), catastropheMilliseconds)
        << "slowest frame at demo time " << stats.renderTimes.worstDemoTime();
    std::printf("slowest frame %.1f ms at %.3f s, 99th percentile %.1f ms, over %zu frames\n",
                stats.renderTimes.worst(), static_cast<double>(stats.renderTimes.worstDemoTime()),
                stats.renderTimes.percentile(99.0), stats.renderTimes.frames());
}

} // namespace
