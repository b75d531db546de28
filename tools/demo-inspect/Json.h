#pragma once

#include <nlohmann/json.hpp>

#include <string>

class OffscreenSurface;

// Documents keep their keys in the order they were added: consumers read the fields in order.
using Json = nlohmann::ordered_json;

// Text from data files as a JSON string: UTF-8 stays as it is; anything else (Latin-1 names) is
// taken byte by byte as U+0000 to U+00FF, so every name prints as valid JSON.
Json jsonText(const std::string& bytes);

// The float's nine significant digits read back, so it prints short and reads back as the same
// float; whole values are integers. JSON has no infinities or NaN, so those are null.
Json jsonNumber(float value);

// The value on one line: ", " between items, ": " after keys, strings and numbers as nlohmann
// prints them.
std::string dumpLine(const Json& value);

// A small offscreen GL context with the player's initial state, for subcommands that load
// textures or meshes. Prints the failure and returns false when none can be made. The surface
// must outlive everything that holds GL objects.
bool openInspectContext(OffscreenSurface& surface);
