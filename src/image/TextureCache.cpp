#include "image/TextureCache.h"

#include "image/Anisotropy.h"
#include "image/Image.h"
#include "image/TextureUpload.h"
#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "shell/MapFile.h"
#include "shell/MappedTextFile.h"

#include <utility>

TextureCache::TextureCache(const DemoPaths& demoPaths, std::optional<float> anisotropy)
    : paths(demoPaths), anisotropySetting(anisotropy)
{
}

Texture& TextureCache::getByName(const std::string& name)
{
    const std::string path = paths.rootDir + "/" + paths.texturesDir + "/" + name;
    // A JPEG wins when both forms exist; the ".tga" form is not probed, so a texture missing in
    // both is reported under its ".tga" path.
    if (fileExists(path + ".jpg"))
        return findOrCreate(path + ".jpg");
    return findOrCreate(path + ".tga");
}

Texture& TextureCache::getByFileName(std::istream& materialStream)
{
    std::string word;
    if (!(materialStream >> word))
        throw LoadError("Texture file name missing in material file");
    return findOrCreate(paths.rootDir + "/" + paths.texturesDir + "/" + word);
}

Texture& TextureCache::getFromSceneToken(MappedTextFile& sceneFile)
{
    sceneFile.skipWords(4);
    const std::string word = sceneFile.readWord();
    // LightWave quotes its file names; the path inside carries its own folder and extension.
    if (word.size() < 2)
        throw LoadError("Image file name missing in " + sceneFile.path());
    return findOrCreate(paths.rootDir + "/" + word.substr(1, word.size() - 2));
}

Texture& TextureCache::findOrCreate(const std::string& key)
{
    for (const auto& texture : textures)
        if (texture->name == key)
            return *texture;

    // Built aside and appended only when complete: a throw below leaves the cache as it was and
    // the half-made texture deletes its GL name.
    auto texture = std::make_unique<Texture>(key);
    texture->maxAnisotropy = currentAnisotropyCeiling(anisotropySetting);
    if (const std::uint32_t size = cubeMapSize(key)) {
        uploadNormCubeMap(*texture, size);
    } else {
        const Image image = readImage(key, textureImageLimits());
        uploadImage(*texture, image);
    }
    textures.push_back(std::move(texture));
    return *textures.back();
}
