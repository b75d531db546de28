// Envelope and channel blocks as scene files hold them, then evaluated across and far outside
// their keys: the first byte picks envelope blocks, channels or nine-channel motions.
#include "FuzzSupport.h"

#include "anim/Channel.h"
#include "anim/Envelope.h"
#include "anim/Motion.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"

#include <limits>

namespace {

constexpr float probeTimes[] = {-1.0e30f,
                                -1000.5f,
                                -1.0f,
                                0.0f,
                                0.25f,
                                1.0f,
                                3.75f,
                                60.0f,
                                1.0e7f,
                                1.0e30f,
                                std::numeric_limits<float>::infinity(),
                                std::numeric_limits<float>::quiet_NaN()};
constexpr int maxBlocks = 64;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int kind = data[0] % 3;
    try {
        MappedTextFile file(fuzz::writeFile("envelope.txt", data + 1, size - 1));
        for (int block = 0; block < maxBlocks && (file.skipBlanks(), !file.atEnd()); ++block) {
            if (kind == 0) {
                const Envelope envelope = parseEnvelope(file);
                for (float t : probeTimes)
                    (void)evaluateEnvelope(envelope, t);
            } else if (kind == 1) {
                const Channel channel = parseChannel(file);
                for (float t : probeTimes)
                    (void)evaluateChannel(channel, t);
            } else {
                const Motion motion = parseMotion(file);
                for (float t : probeTimes)
                    for (int c = 0; c < 9; ++c)
                        (void)evaluateMotionChannel(motion, static_cast<MotionChannel>(c), t);
            }
        }
    } catch (const LoadError&) {
    }
    return 0;
}
