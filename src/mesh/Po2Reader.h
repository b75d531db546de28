#pragma once

#include "mesh/Mesh.h"

#include <functional>
#include <string>
#include <string_view>

// Resolves a non-empty texture name of the file, in file order, as it is read.
using TextureLookup = std::function<const Texture*(const std::string& name)>;

// rootDir + "/" + objectName with its last three characters overwritten by "po2". A joined path
// of fewer than three or more than 249 characters is a loading error.
std::string po2Path(const std::string& rootDir, const std::string& objectName);

// Parses PO2 bytes into a mesh (no GL): every section in file order, normals computed when
// polygons are present. Every count is checked against the end of the data and every index
// against its array; failures are loading errors naming path.
Mesh parsePo2(std::string_view bytes, const std::string& path, const TextureLookup& lookup);

// Maps and parses the file at path ("Cannot load file ... from directory" when it is missing).
Mesh readPo2(const std::string& path, const TextureLookup& lookup);
