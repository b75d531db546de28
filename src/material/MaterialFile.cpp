#include "material/MaterialFile.h"

#include "scene/Scene.h"

// Material passes are not read yet: every scene loads with empty pass lists, which draws
// each object once with its mesh's own textures.
void readMaterialFile(Scene& scene)
{
    static_cast<void>(scene);
}
