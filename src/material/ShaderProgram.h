#pragma once

#include <cstdint>
#include <string>

// One ARB vertex or fragment program, keyed by its file's base name.
struct ShaderProgram {
    std::string name;
    std::uint32_t glName = 0; // GL program object; 0 until uploaded
};
