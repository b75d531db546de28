#pragma once

#include "lwsc/LwsScene.h"

#include <cstddef>
#include <string>

class ConversionReport;

// The scene as version 3 text in the fixed order the player reads: every reference turned into
// a load-order number, and the lines the player needs but the scene lacks written with
// LightWave's defaults (reported). An identifier that names no item of the scene is a
// LoadError naming path and the line that wrote it; in a version 3 scene it passes unchanged,
// as the player would read it.
struct WrittenScene {
    std::string text;
    std::size_t objectCount = 0; // pivot nulls included
};

WrittenScene writeLwsScene(const LwsScene& scene, const std::string& path,
                           ConversionReport& report);
