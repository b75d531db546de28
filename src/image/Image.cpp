#include "image/Image.h"

#include "platform/FileMapping.h"
#include "shell/LoadError.h"

Image readImage(const std::string& path)
{
    const char selector = path.size() >= 2 ? path[path.size() - 2] : '\0';
    if (selector == 'd' || selector == 'D') {
        Image image;
        if (!readHdrImage(path, image)) {
            // The HDR reader only answers yes or no; a missing file still reads like every
            // other missing file.
            if (!FileMapping::exists(path))
                throwCannotLoad(path);
            throw LoadError("Cannot read HDR image " + path);
        }
        return image;
    }
    if (selector == 'p' || selector == 'P')
        return readJpegImage(path);
    return readTgaImage(path);
}
