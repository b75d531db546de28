#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class CombinerSink;

// Compiles one register-combiner script (its text starts with "!!RC1.0") and emits it into the
// sink; a null sink means no backend could be initialised. Never throws: every problem goes to
// the error list. Characters the scanner does not know are copied to echo (standard output in
// the player).
void parseCombinerScript(const char* text, CombinerSink* sink, std::ostream& echo);

// The messages of the last call, first first; empty when it succeeded. Holds at most 32.
const std::vector<std::string>& combinerErrors();
