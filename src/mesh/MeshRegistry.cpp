#include "mesh/MeshRegistry.h"

#include "image/TextureCache.h"
#include "mesh/Po2Reader.h"
#include "shell/DemoConfig.h"

MeshRegistry::MeshRegistry(TextureCache& textures, const DemoPaths& paths)
    : textures(textures), paths(paths)
{
}

Mesh& MeshRegistry::get(const std::string& objectName)
{
    for (const std::unique_ptr<Mesh>& mesh : meshes)
        if (mesh->name == objectName)
            return *mesh;
    // Built completely before it is listed, so a loading error leaves the list as it was.
    auto mesh = std::make_unique<Mesh>(loadMesh(objectName, textures, paths));
    meshes.push_back(std::move(mesh));
    return *meshes.back();
}

Mesh loadMesh(const std::string& objectName, TextureCache& textures, const DemoPaths& paths)
{
    Mesh mesh = readPo2(po2Path(paths.rootDir, objectName),
                        [&textures](const std::string& name) { return &textures.getByName(name); });
    mesh.name = objectName;
    // TrianglesOnly alone still gets its (empty) list, as the file asks for one.
    if (mesh.has(MeshFlag::Polygons) || mesh.has(MeshFlag::TrianglesOnly))
        compileDisplayList(mesh);
    return mesh;
}
