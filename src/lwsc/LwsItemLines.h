#pragma once

#include "lwsc/LwsLines.h"
#include "lwsc/LwsScene.h"

class ConversionReport;

// The reader's state between lines: which item the lines belong to.
struct SceneContext {
    enum class Current { None, Object, Light, Camera, Bone };

    LineCursor& lines;
    ConversionReport& report;
    LwsScene& scene;
    Current current = Current::None;
    // A bone's own "ParentItem" comes first; a later one belongs to the bone's object.
    bool boneParentSeen = false;
    // The camera line before this one: version 3's depth of field counts only right after the
    // blur lines, where the player looks for it.
    std::string_view previousCameraKeyword;
};

// Names are single words in version 3: blanks become underscores (reported); an empty name
// becomes fallback.
std::string oneWordName(SceneContext& context, std::string_view name, const char* fallback);

// A line of the current item (object, light, camera or bone). True when it was one.
bool readItemLine(SceneContext& context, const LwsLine& line);

// A line, or the block it opens, that nothing reads: stepped over and reported by kind.
void dropLine(SceneContext& context, const LwsLine& line);
