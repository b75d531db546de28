#pragma once

#include <optional>
#include <string_view>

struct PictureSize {
    int width = 0;
    int height = 0;
};

// "640x480" (or "640X480"): two decimal sides, each 1 to maxSide; none for anything else, a side
// too large for any integer included. The --size of the player and of the capture.
std::optional<PictureSize> parsePictureSize(std::string_view text, int maxSide);
