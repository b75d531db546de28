#pragma once

#include <cstdint>
#include <string_view>

class MappedTextFile;
class MappedTextStream;
struct Timeline;

// "hh:mm:ss:mmm" read from fixed positions whatever the separators, each field converted with
// atoi's rules; 12 to 15 characters. Anything else is a loading error naming the token.
float parseTime(std::string_view token);

// The configuration file's tail from the cursor on: script name, start and end time, then the
// layer list; then the script rootDir/<name>.txt, loading every scene it names.
void loadTimeline(Timeline& timeline, MappedTextFile& config, std::int64_t counterFrequency);

// The script's lines, appended as events to the layers already declared.
void readTimelineScript(Timeline& timeline, MappedTextStream& script);
