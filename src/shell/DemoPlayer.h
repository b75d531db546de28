#pragma once

#include "shell/DemoConfig.h"

// Everything a demo loads. Members are declared in construction order, so destruction runs in
// teardown order on the normal and on the error path alike.
struct DemoPlayer {
    explicit DemoPlayer(const DemoSettings& settings);

    DemoPaths paths;
};
