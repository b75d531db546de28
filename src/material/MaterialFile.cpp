#include "material/MaterialFile.h"

#include "material/MaterialBlock.h"
#include "material/MaterialUpload.h"
#include "material/MaterialWords.h"

#include "mesh/Mesh.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "shell/MapFile.h"
#include "shell/MappedTextStream.h"
#include "shell/Scan.h"

#include <sstream>
#include <string_view>

namespace {

constexpr std::size_t extensionLength = 4; // ".lwo"

// "Objects/Ship.lwo" -> "Ship": the extension and every folder dropped.
std::string_view meshBaseName(std::string_view name)
{
    name.remove_suffix(std::min(extensionLength, name.size()));
    const std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    return name;
}

// The count-th object (from 1) whose mesh has this base name; objects without a mesh never match.
SceneObject* findObject(Scene& scene, std::string_view baseName, std::uint32_t count)
{
    std::uint32_t seen = 0;
    for (const auto& object : scene.objects) {
        if (object->mesh && meshBaseName(object->mesh->name) == baseName && ++seen == count)
            return object.get();
    }
    return nullptr;
}

// One block read to plain data, then made into a pass.
Material readPass(MaterialWords& words, ProgramRegistry& programs, TextureCache& textures)
{
    MaterialBlock block;
    try {
        block = readMaterialBlock(words);
    } catch (const LoadError&) {
        // What the block named before the faulty word comes first in the file, so its messages
        // and its own loading error come first too.
        loadMaterialSteps(words.takeSteps(), programs, textures);
        throw;
    }
    return uploadMaterialBlock(std::move(block), programs, textures);
}

} // namespace

void readMaterialFile(Scene& scene, const DemoPaths& paths, TextureCache& textures,
                      ProgramRegistry& programs)
{
    const std::string path = paths.rootDir + "/" + paths.scenesDir + "/" + scene.name + ".txt";
    if (!fileExists(path))
        return;
    MappedTextStream file(path);
    MaterialWords words(file.stream(), file.path());

    while (true) {
        file.skipWhitespace();
        if (file.atEnd())
            break;
        const std::string line = file.readLine();
        if (line.front() == '#')
            continue;
        std::istringstream lineWords(line);
        std::string first;
        lineWords >> first;
        if (first == "BackgroundImage") {
            scene.bgPasses.push_back(readPass(words, programs, textures));
        } else if (first == "ForegroundImage") {
            scene.fgPasses.push_back(readPass(words, programs, textures));
        } else {
            // An object line without a readable count names no object. Where no object matches,
            // the block is left unread and its lines are read as lines of the file.
            std::string countWord;
            std::uint32_t count = 0;
            lineWords >> countWord;
            if (!scanUnsigned(countWord, count) || count == 0)
                continue;
            if (SceneObject* object = findObject(scene, first, count))
                object->passes.push_back(readPass(words, programs, textures));
        }
    }
}
