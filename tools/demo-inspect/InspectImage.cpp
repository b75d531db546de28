#include "Inspect.h"
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
    std::printf("{\"width\": %u, \"height\": %u, \"components\": %u, \"sha256\": \"%s\"}\n",
                unsigned{image.width}, unsigned{image.height}, unsigned{image.components},
                digest.c_str());
    return 0;
}
