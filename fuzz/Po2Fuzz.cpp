// PO2 meshes from bytes: every section, count and index, and the normals computed from them.
#include "FuzzSupport.h"

#include "mesh/Po2Reader.h"
#include "shell/LoadError.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const Mesh mesh = parsePo2({reinterpret_cast<const char*>(data), size}, "fuzz.po2",
                                   [](const std::string&) { return nullptr; });
        if (mesh.positions.size() != std::size_t{mesh.vertexCount} * 3)
            std::abort();
    } catch (const LoadError&) {
    }
    return 0;
}
