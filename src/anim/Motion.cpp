#include "anim/Motion.h"

#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "shell/Scan.h"

// Position and rotation take the first six channels, so a shorter motion cannot place its item.
constexpr std::int32_t minimumChannels = 6;

Motion parseMotion(MappedTextFile& file)
{
    if (file.readWord() != "NumChannels")
        throw LoadError("Not NumChannels");
    std::int32_t count = 0;
    if (!scanInt(file.readWord(), count) || count < minimumChannels)
        throw LoadError("Motion with fewer than 6 channels in " + file.path());

    Motion motion;
    for (std::int32_t i = 0; i < count; ++i) {
        file.skipWords(2); // "Channel" and its number, which is not used
        motion.envelopes.push_back(parseEnvelope(file));
    }
    return motion;
}

float evaluateMotionChannel(const Motion& motion, MotionChannel channel, float t)
{
    const auto index = static_cast<std::size_t>(channel);
    if (index >= motion.envelopes.size())
        return 0.0f;
    return evaluateEnvelope(motion.envelopes[index], t);
}
