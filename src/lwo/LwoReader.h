#pragma once

#include "lwo/LwoObject.h"

#include <string>
#include <string_view>

// Parses the bytes of an LWO2, LWO3 or LWOB file (FORM chunk). Unknown chunks are skipped by their
// length; every count, index and length is checked, and a damaged file is a LoadError naming
// path and the chunk.
LwoObject parseLwo(std::string_view bytes, const std::string& path);

// Maps and parses the file at path.
LwoObject readLwo(const std::string& path);
