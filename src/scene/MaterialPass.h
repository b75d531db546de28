#pragma once

#include <memory>
#include <vector>

struct Material;

// Material passes are made by the material-file reader, which sits above the scene: each pass
// carries that reader's deleter, so objects and scenes own them without knowing their type.
using OwnedMaterial = std::unique_ptr<Material, void (*)(Material*)>;
using PassList = std::vector<OwnedMaterial>;
