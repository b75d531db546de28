#pragma once

class Scene;

// Reads the scene's optional material file, rootDir/scenesDir/<scene name>.txt, into the
// passes of its objects and screen images. A scene without a material file is normal.
void readMaterialFile(Scene& scene);
