#pragma once

#include "PartSidecar.h"

#include <optional>
#include <string>
#include <vector>

// One part given to a join: where it is and what its sidecar says.
struct JoinPart {
    std::string path;
    PartSidecar sidecar;
};

// Puts the parts in grid order and checks that they belong to one capture and cover its grid
// once, with no gap and no overlap. Returns the reason for refusing them, naming the parts
// that differ or the frames missing or doubled, or nothing when they join.
std::optional<std::string> planJoin(std::vector<JoinPart>& parts);
