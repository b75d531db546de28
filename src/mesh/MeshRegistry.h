#pragma once

#include "mesh/Mesh.h"

#include <memory>
#include <string>
#include <vector>

class TextureCache;
struct DemoPaths;

// Every mesh of the demo, loaded once per object name and kept in load order until teardown.
// References returned by get stay valid for the registry's lifetime.
class MeshRegistry {
public:
    MeshRegistry(TextureCache& textures, const DemoPaths& paths);
    MeshRegistry(const MeshRegistry&) = delete;
    MeshRegistry& operator=(const MeshRegistry&) = delete;

    // The mesh loaded for exactly this name (case-sensitive, first match), loading it from
    // rootDir/name with its last three characters replaced by "po2" on first request. Needs
    // the GL context for the textures and the display list. A loading error appends nothing.
    Mesh& get(const std::string& objectName);

    std::size_t count() const { return meshes.size(); }

private:
    TextureCache& textures;
    const DemoPaths& paths;
    std::vector<std::unique_ptr<Mesh>> meshes;
};

// Loads one mesh as the registry does: reads the PO2 file, resolves its textures through the
// cache, computes normals and compiles the display list.
Mesh loadMesh(const std::string& objectName, TextureCache& textures, const DemoPaths& paths);
