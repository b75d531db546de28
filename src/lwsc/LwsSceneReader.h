#pragma once

#include "lwsc/LwsScene.h"

#include <string>
#include <string_view>

class ConversionReport;

// Reads a LightWave scene of version 3, 4, 5 or 8 into the converter's model. Lines the
// converter cannot use are reported by kind and dropped; a file it cannot make sense of is a
// LoadError "Cannot convert scene PATH: line N: WHY".
LwsScene readLwsScene(std::string_view text, const std::string& path, ConversionReport& report);
