#include "shell/MapFile.h"

#include "shell/LoadError.h"

FileMapping mapFile(const std::string& path)
{
    auto mapping = FileMapping::open(path);
    if (!mapping)
        throwCannotLoad(path);
    return std::move(*mapping);
}

bool fileExists(const std::string& path)
{
    return FileMapping::exists(path);
}
