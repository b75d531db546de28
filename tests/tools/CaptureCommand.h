#pragma once

#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <string>

// demo-capture run from the demo's folder with no display; the test target names the program in
// DEMO_CAPTURE.
inline CommandRun capture(const TempDir& demo, const std::string& arguments)
{
    return runCommand(demo, "cd '" + demo.path().string() +
                                "' && env -u DISPLAY -u "
                                "WAYLAND_DISPLAY '" DEMO_CAPTURE "' " +
                                arguments);
}
