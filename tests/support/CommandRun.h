#pragma once

#include "support/TempDir.h"

#include <string>

// What a command run through the shell printed, and its exit status.
struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs command through the shell, its output captured in files of dir (the shell also reports
// the exit status portably).
CommandRun runCommand(const TempDir& dir, const std::string& command);

std::string readFile(const std::string& path);
