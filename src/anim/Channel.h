#pragma once

#include "anim/Envelope.h"

#include <memory>

class MappedTextFile;

// A scalar scene parameter: a constant, or an envelope that overrides it.
struct Channel {
    float value = 0.0f;
    std::unique_ptr<Envelope> envelope;
};

// One word: "(envelope)" followed by an envelope block, or a number converted with "%f" (a word
// that does not convert leaves value 0).
Channel parseChannel(MappedTextFile& file);

float evaluateChannel(const Channel& channel, float t);
