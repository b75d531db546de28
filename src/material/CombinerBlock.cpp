#include "material/CombinerBlock.h"

#include "shell/LoadError.h"

CombinerList compileCombiners(const std::string& blockText, const std::string& path)
{
    static_cast<void>(blockText);
    throw LoadError("Register-combiner blocks cannot be compiled yet: " + path);
}
