#include "anim/Envelope.h"

#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"
#include "shell/Scan.h"

#include <algorithm>
#include <cmath>
#include <string>

Envelope::Envelope(const Envelope& other)
    : keys(other.keys), preBehavior(other.preBehavior), postBehavior(other.postBehavior)
{
    linkKeys();
}

Envelope& Envelope::operator=(const Envelope& other)
{
    if (this != &other) {
        keys = other.keys;
        preBehavior = other.preBehavior;
        postBehavior = other.postBehavior;
        linkKeys();
    }
    return *this;
}

void Envelope::linkKeys()
{
    const std::size_t count = keys.size();
    timesAscend = true;
    for (std::size_t i = 0; i < count; ++i) {
        keys[i].prev = i > 0 ? &keys[i - 1] : nullptr;
        keys[i].next = i + 1 < count ? &keys[i + 1] : nullptr;
        // Written so that a NaN time also keeps the walk.
        if (i > 0 && !(keys[i - 1].time <= keys[i].time))
            timesAscend = false;
    }
}

// The key count decides how many "Key" lines follow, so a count that is not a number or is
// negative cannot be read past safely.
static std::int32_t readKeyCount(MappedTextFile& file)
{
    std::int32_t count = 0;
    if (!scanInt(file.readWord(), count) || count < 0)
        throw LoadError("Bad envelope key count in " + file.path());
    return count == 0 ? 1 : count;
}

static void readKeyLine(MappedTextFile& file, EnvelopeKey& key)
{
    if (file.readWord() != "Key")
        throw LoadError("Not Key");
    file.readFloat(key.value);
    file.readFloat(key.time);
    std::int32_t shape = 0;
    file.readInt(shape);
    key.shape = static_cast<KeyShape>(shape);
    // Six parameter words follow; each shape reads its own slots and skips the rest.
    switch (key.shape) {
    case KeyShape::TCB:
        file.readFloat(key.tension);
        file.readFloat(key.continuity);
        file.readFloat(key.bias);
        file.skipWords(3);
        break;
    case KeyShape::Hermite:
    case KeyShape::Bezier:
        file.skipWords(3);
        file.readFloat(key.params[0]);
        file.readFloat(key.params[1]);
        file.skipWords(1);
        break;
    case KeyShape::Linear:
    case KeyShape::Stepped:
        file.skipWords(6);
        break;
    case KeyShape::Bezier2D:
        for (float& param : key.params)
            file.readFloat(param);
        file.skipWords(2);
        break;
    default:
        // An unknown shape consumes nothing: its parameters then fail as "Key" or "Behaviors".
        break;
    }
}

Envelope parseEnvelope(MappedTextFile& file)
{
    file.skipWord(); // "{"
    if (file.readWord() != "Envelope")
        throw LoadError("Not Envelope");
    const std::int32_t count = readKeyCount(file);

    Envelope envelope;
    // A count larger than the file can hold fails at the missing "Key"; reserve no more than
    // the rest of the file could describe.
    const std::size_t remaining = file.bytes().size() - file.position();
    envelope.keys.reserve(std::min(static_cast<std::size_t>(count), remaining / 4 + 1));
    for (std::int32_t i = 0; i < count; ++i) {
        EnvelopeKey key;
        readKeyLine(file, key);
        envelope.keys.push_back(key);
    }
    envelope.linkKeys();

    if (file.readWord() != "Behaviors")
        throw LoadError("Not Behaviors");
    std::int32_t pre = 0;
    std::int32_t post = 0;
    file.readInt(pre);
    file.readInt(post);
    envelope.preBehavior = static_cast<EnvelopeBehavior>(pre);
    envelope.postBehavior = static_cast<EnvelopeBehavior>(post);
    file.skipWord(); // "}"
    return envelope;
}
