#include "Inspect.h"
#include "Json.h"
#include "Sha256.h"

#include "image/Image.h"

#include <cstdio>

// demo-inspect image FILE: the picture as the texture upload would receive it, summarised.
int inspectImage(const InspectArgs& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: demo-inspect image FILE\n");
        return 2;
    }
    const Image image = readImage(args[0]);
    const std::string digest = Sha256::hexOf(image.pixels.data(), image.pixels.size());
    Json out = Json::object();
    out["width"] = image.width;
    out["height"] = image.height;
    out["components"] = image.components;
    out["sha256"] = digest;
    std::printf("%s\n", dumpLine(out).c_str());
    return 0;
}
