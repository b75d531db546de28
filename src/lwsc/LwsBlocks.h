#pragma once

#include "lwsc/LwsLines.h"
#include "lwsc/LwsScene.h"

class ConversionReport;

// The multi-line units of a scene file: envelopes, channels and motions, and the blocks the
// converter steps over whole (brace blocks, plug-in blocks, attribute blocks).

// "{ Envelope", the key count, the keys, "Behaviors" and "}". Channel modifiers and other
// nested blocks inside are dropped and reported.
LwsEnvelope readEnvelope(LineCursor& lines, ConversionReport& report);

// The value of line: a number, or "(envelope)" with the envelope block on the next lines.
LwsChannel readChannel(LineCursor& lines, const LwsLine& line, ConversionReport& report);

// After "ObjectMotion" (or the light, camera or bone form): "NumChannels n" and n channels.
LwsMotion readMotion(LineCursor& lines, ConversionReport& report);

// An identifier in hexadecimal, as "ParentItem" writes it; `word` is the value word.
LwsReference readReference(const LineCursor& lines, const LwsLine& line, std::string_view word,
                           int base = 16);

// Three numbers after the keyword.
std::array<std::string, 3> readTriple(const LineCursor& lines, const LwsLine& line);

// True when line opens a block the converter steps over whole: "{ Name", "Name ... {", or a
// keyword whose next line is a lone "{".
bool opensBlock(const LineCursor& lines, const LwsLine& line);

// Steps over the block that line opens (line already taken), and an "EndAttribute" after it.
// A "Plugin" line runs to its "EndPlugin" and a "PluginEnabled" line after that.
void skipBlock(LineCursor& lines, const LwsLine& line);

// The "Plugin" block that line opens (line already taken): its body lines up to its "EndPlugin"
// (plug-in bodies are not scene syntax and may nest), and a following "PluginEnabled" line.
LwsPluginBlock readPluginBlock(LineCursor& lines, const LwsLine& line);
