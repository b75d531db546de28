#pragma once

// How the current context can show register combiners: natively where the driver lists
// GL_NV_register_combiners, emulated on ARB fragment programs where it lists
// GL_ARB_fragment_program with its entry points resolved, otherwise not at all.
enum class CombinerBackend { native, emulated, none };

CombinerBackend availableCombinerBackend();
