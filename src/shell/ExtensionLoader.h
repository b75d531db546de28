#pragma once

#include <string>

// Checks a space-separated list of extension names against the current context and resolves
// the entry points of those it knows (GL_NV_register_combiners, GL_NV_register_combiners2 into
// GlExtensions.h). "GL_VERSION_1_2" to "GL_VERSION_1_4" ask for that core version and its
// functions; any other name must be listed by the driver and have every known entry point
// reachable. True only when every name succeeds.
bool ExtensionLoader(const char* names);

// The names the last ExtensionLoader call refused, each followed by a space.
const std::string& unsupportedExtensions();
