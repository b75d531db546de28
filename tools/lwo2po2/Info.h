#pragma once

#include "lwo/LwoObject.h"

#include <string>

// What --info prints: the form, each layer (numbered as scenes count them) with its counts and
// maps by kind and name, each surface with its image blocks, and each image.
std::string describeObject(const LwoObject& object, const std::string& path);
