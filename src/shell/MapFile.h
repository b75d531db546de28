#pragma once

#include "platform/FileMapping.h"

#include <string>

// The one way readers open a file: the whole file mapped read-only, or "Cannot load file <path>
// from directory" shown under "Loading Error" and thrown.
FileMapping mapFile(const std::string& path);

// The probe for optional files (alpha pictures, the ".jpg" form of a texture): true when the file
// exists and can be opened for reading.
bool fileExists(const std::string& path);
