#include "anim/Channel.h"

#include "shell/MappedTextFile.h"
#include "shell/Scan.h"

Channel parseChannel(MappedTextFile& file)
{
    Channel channel;
    const std::string word = file.readWord();
    if (word == "(envelope)")
        channel.envelope = std::make_unique<Envelope>(parseEnvelope(file));
    else
        scanFloat(word, channel.value);
    return channel;
}

float evaluateChannel(const Channel& channel, float t)
{
    return channel.envelope ? evaluateEnvelope(*channel.envelope, t) : channel.value;
}
