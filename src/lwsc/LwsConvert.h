#pragma once

#include "lwsc/ConversionReport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A scene of version 3, 4, 5 or 8 as the version 3 text the player reads, and what changed.
struct SceneConversion {
    std::string text;
    ConversionReport report;
    std::uint32_t version = 0;
    std::size_t objectCount = 0; // in the output, pivot nulls included
    std::size_t lightCount = 0;
    std::size_t cameraCount = 0;
};

// Converts the text of a scene file; path names it in errors. A scene the converter cannot
// read is a LoadError "Cannot convert scene PATH: line N: WHY".
SceneConversion convertScene(std::string_view text, const std::string& path);

// Reads the file at path and converts it.
SceneConversion convertSceneFile(const std::string& path);

// "version 5: 3 objects, 1 light, 1 camera; dropped 12 lines or blocks of 4 kinds, ..."
std::string summaryLine(const SceneConversion& conversion);
