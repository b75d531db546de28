// LightWave objects (LWO2 and LWOB) through the converter's reader, then each of their first
// layers converted to a PO2 mesh with the default options.
#include "FuzzSupport.h"

#include "lwo/LwoConvert.h"
#include "lwo/LwoReader.h"
#include "mesh/Po2Writer.h"
#include "shell/LoadError.h"

constexpr int layersTried = 3;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LwoObject object;
    try {
        object = parseLwo({reinterpret_cast<const char*>(data), size}, "fuzz.lwo");
    } catch (const LoadError&) {
        return 0;
    }
    for (int layer = 1; layer <= layersTried; ++layer) {
        try {
            ConvertOptions options;
            options.layer = layer;
            const Conversion conversion = convertLayer(object, options, "fuzz.lwo");
            // What the converter hands on must be a file the player reads back.
            (void)writePo2(conversion.mesh);
            (void)summaryLine(conversion);
        } catch (const LoadError&) {
        }
    }
    return 0;
}
