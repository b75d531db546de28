#pragma once

#include "scene/Material.h"

#include <string>

// Compiles the text of a "Frag" block (the register-combiner statements without their header)
// into a display list that sets the combiners up. The compiler's first message is the loading
// error; path names the material file in errors of its own.
CombinerList compileCombiners(const std::string& blockText, const std::string& path);
