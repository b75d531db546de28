#include "Inspect.h"
#include "Json.h"
#include "Sha256.h"

#include "platform/OffscreenSurface.h"
#include "shell/DemoConfig.h"
#include "timeline/DemoAssets.h"

#include <bit>
#include <cstdio>
#include <string>

namespace {

Json textureKey(const Texture* texture)
{
    return texture ? jsonText(texture->name) : Json(nullptr);
}

// SHA-256 of the normals as little-endian float bytes, whatever the host's byte order.
Json normalsDigest(const Mesh& mesh)
{
    if (!mesh.has(MeshFlag::Polygons))
        return nullptr;
    Sha256 hash;
    for (float value : mesh.normals) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
        hash.update(bytes, sizeof bytes);
    }
    return hash.hexDigest();
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
    DemoAssets assets(DemoPaths{args[0], args[1], "", 1.0f});
    const Mesh& mesh = assets.meshes.get(args[2]);

    Json out = Json::object();
    out["flags"] = mesh.flags;
    out["vertexCount"] = mesh.vertexCount;
    out["polygonCount"] = mesh.polygonCount;
    out["cornerCount"] = mesh.cornerCount;
    out["texCoord0Count"] = mesh.texCoord0Count;
    out["texCoord1Count"] = mesh.texCoord1Count;
    out["colourCount"] = mesh.colourCount;
    out["morphCount"] = mesh.morphCount;
    out["morphDeltaCount"] = mesh.morphDeltaCount;
    out["boneCount"] = mesh.boneCount;
    out["texture0"] = textureKey(mesh.texture0);
    out["texture1"] = textureKey(mesh.texture1);
    out["normalsSha256"] = normalsDigest(mesh);
    std::printf("%s\n", dumpLine(out).c_str());
    return 0;
}
