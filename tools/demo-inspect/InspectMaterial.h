#pragma once

#include "Json.h"

#include "scene/Material.h"

#include <memory>
#include <vector>

struct ShaderProgram;

// A material pass as JSON: every part in the material's field order, null where the material
// does not give it; a part switched off prints only {"enabled": false}. GL enums print as
// integers.
Json jsonMaterial(const Material& material);
// The passes of a list, in order.
Json jsonPasses(const PassList& passes);
// The programs of the registry in load order, each {"name", "target"}.
Json jsonPrograms(const std::vector<std::unique_ptr<ShaderProgram>>& programs);
