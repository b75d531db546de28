#include "combiners/CombinerBackend.h"

#include "shell/GlExtensions.h"

CombinerBackend availableCombinerBackend()
{
    if (hasGlExtension("GL_NV_register_combiners") && ext::glCombinerInputNV != nullptr &&
        ext::glCombinerOutputNV != nullptr && ext::glFinalCombinerInputNV != nullptr &&
        ext::glCombinerParameteriNV != nullptr && ext::glCombinerParameterfvNV != nullptr)
        return CombinerBackend::native;
    if (hasGlExtension("GL_ARB_fragment_program") && ext::glGenProgramsARB != nullptr &&
        ext::glBindProgramARB != nullptr && ext::glProgramStringARB != nullptr &&
        ext::glDeleteProgramsARB != nullptr)
        return CombinerBackend::emulated;
    return CombinerBackend::none;
}
