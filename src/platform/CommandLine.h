#pragma once

#include <string>

// The whole command-line string: the arguments after the program name joined by single spaces.
std::string joinCommandLine(int argc, const char* const* argv);
