#include "Inspect.h"
#include "Json.h"
#include "Sha256.h"

#include "image/TextureCache.h"
#include "mesh/MeshRegistry.h"
#include "platform/OffscreenSurface.h"
#include "shell/DemoConfig.h"

#include <bit>
#include <cstdio>
#include <string>

namespace {

std::string textureKey(const Texture* texture)
{
    return texture ? jsonString(texture->name) : "null";
}

// SHA-256 of the normals as little-endian float bytes, whatever the host's byte order.
std::string normalsDigest(const Mesh& mesh)
{
    if (!mesh.has(MeshFlag::Polygons))
        return "null";
    Sha256 hash;
    for (float value : mesh.normals) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
        hash.update(bytes, sizeof bytes);
    }
    return jsonString(hash.hexDigest());
}

} // namespace

// demo-inspect mesh ROOT TEXDIR OBJECTNAME: loads the mesh a scene naming OBJECTNAME would get
// (textures through the cache, display list on an offscreen context) and prints its fields as
// one JSON object.
int inspectMesh(const InspectArgs& args)
{
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: demo-inspect mesh ROOT TEXDIR OBJECTNAME\n");
        return 2;
    }
    // Declared first, so the registry and cache release their GL objects while it is current.
    OffscreenSurface surface;
    if (!openInspectContext(surface))
        return 1;
    DemoPaths paths;
    paths.rootDir = args[0];
    paths.texturesDir = args[1];
    TextureCache textures(paths);
    MeshRegistry meshes(textures, paths);
    const Mesh& mesh = meshes.get(args[2]);

    std::printf("{\"flags\": %u, \"vertexCount\": %u, \"polygonCount\": %u, \"cornerCount\": %u, "
                "\"texCoord0Count\": %u, \"texCoord1Count\": %u, \"colourCount\": %u, "
                "\"morphCount\": %u, \"morphDeltaCount\": %u, \"boneCount\": %u, "
                "\"texture0\": %s, \"texture1\": %s, \"normalsSha256\": %s}\n",
                unsigned{mesh.flags}, unsigned{mesh.vertexCount}, unsigned{mesh.polygonCount},
                unsigned{mesh.cornerCount}, unsigned{mesh.texCoord0Count},
                unsigned{mesh.texCoord1Count}, unsigned{mesh.colourCount},
                unsigned{mesh.morphCount}, unsigned{mesh.morphDeltaCount}, unsigned{mesh.boneCount},
                textureKey(mesh.texture0).c_str(), textureKey(mesh.texture1).c_str(),
                normalsDigest(mesh).c_str());
    return 0;
}
