#pragma once

#include "scene/Material.h"

#include <string>

// Compiles the text of a "Frag" block (the register-combiner statements without their header)
// into a display list that sets the combiners up: natively where the driver has register
// combiners, else through their emulation on ARB fragment programs. The compiler's first
// message is the loading error; the list is closed and deleted first. GL must be current and
// no other list open.
CombinerList compileCombiners(const std::string& blockText);
