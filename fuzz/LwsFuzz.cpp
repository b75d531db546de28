// LightWave scenes of any version through lwsconvert's reader and writer, report included.
#include "FuzzSupport.h"

#include "lwsc/LwsConvert.h"
#include "shell/LoadError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const SceneConversion conversion =
            convertScene({reinterpret_cast<const char*>(data), size}, "fuzz.lws");
        (void)summaryLine(conversion);
        (void)conversion.report.details();
    } catch (const LoadError&) {
    }
    return 0;
}
