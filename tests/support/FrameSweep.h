#pragma once

#include "Capture.h"

// The frame sweep, which the stall guard runs and the pacing benchmark times: every frame of
// the bundled demo at 200 per demo second, rendered only (no read-back, no encoding). Run it
// from the demo's folder.
constexpr int sweepFramesPerSecond = 200;

inline CaptureOptions frameSweepOptions()
{
    CaptureOptions options;
    options.rate = FrameRate{sweepFramesPerSecond, 1};
    // The bundled demo's own size: the cliff hides at smaller sizes (at 320 x 240 the city
    // scene's footprints never degenerate).
    options.width = 640;
    options.height = 480;
    options.quiet = true;
    options.discardFrames = true;
    return options;
}
