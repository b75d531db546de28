#include "SampleDemo.h"

#include "SampleParts.h"

#include "shell/LoadError.h"

#include <filesystem>
#include <fstream>
#include <string>

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw LoadError("Cannot write " + path.string());
}

void writeSampleDemo(const std::string& folder)
{
    const std::filesystem::path root(folder);
    writePictures(root / "tex");
    writeMeshes(root);
    writeScenes(root);
    writeMusic(root / "music.ogg", 30.0f);
    writeFile(root / "defaultdemoconfig.txt", "window 640 480 32 24\n4 3\nmusic.ogg . tex scn\n"
                                              "main 0.0 30.0\n"
                                              "glow glowtex\n"
                                              "final screen\n"
                                              "overlay screen\n");
    writeFile(
        root / "main.txt",
        "# The glow layer renders a spinning box into the texture glowtex, which the big box\n"
        "# of the city scene wears; the final layer shows the city, then the morphs; the\n"
        "# overlay adds sparks over the morphs. A colour-only clear (cc) keeps the depth of\n"
        "# whatever was drawn before, so it suits scenes drawn without depth test; the\n"
        "# city covers the screen with its background, so clearing its depth (cz) is enough.\n"
        "glow cc orbit 1 00:00:00:000\n"
        "glow none 00:00:15:000\n"
        "\n"
        "final cl city 1 00:00:00:000\n"
        "final cz city 2 00:00:07:500\n"
        "final cl morph 1 00:00:15:000\n"
        "final cl morph 2 00:00:22:500\n"
        "\n"
        "overlay none 00:00:00:000\n"
        "overlay nc sparks 1 00:00:17:000\n"
        "overlay cz sparks 1 00:00:24:000\n"
        "overlay no 00:00:29:000\n");
}

void writeTinyDemo(const std::string& folder, float musicSeconds, float endTime)
{
    const std::filesystem::path root(folder);
    writeTinyPictures(root / "tex");
    writeTinyMeshes(root);
    writeFile(root / "scn" / "tiny.lws", tinyScene());
    writeMusic(root / "music.ogg", musicSeconds);
    writeFile(root / "defaultdemoconfig.txt",
              "window 160 120 32 24 4 3 music.ogg . tex scn\ntiny 0.0 " + num(endTime) +
                  " glow glowtex final screen\n");
    writeFile(root / "tiny.txt", "glow cl tiny 1 00:00:00:000\nfinal cl tiny 1 00:00:00:100\n");
}
