#pragma once

#include <string>
#include <vector>

// Each subcommand takes the arguments after its name and returns the exit status. Loading
// errors go to standard error as their text, with status 1.
using InspectArgs = std::vector<std::string>;
