#pragma once

#include <string>
#include <vector>

// Each subcommand takes the arguments after its name and returns the exit status. Loading
// errors go to standard error as their text, with status 1.
using InspectArgs = std::vector<std::string>;

// One "--at" value: the time as typed (printed back unchanged) and as read with "%f".
struct SampleTime {
    std::string text;
    float value;
};

// "T1,T2,...": every entry must convert; an empty list or entry is refused.
bool parseTimes(const std::string& list, std::vector<SampleTime>& times);
