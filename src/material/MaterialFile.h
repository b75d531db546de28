#pragma once

class ProgramRegistry;
class Scene;
class TextureCache;
struct DemoPaths;

// Reads the scene's optional material file, rootDir/scenesDir/<scene name>.txt, into the passes
// of its objects and screen images; programs and textures come through their registries. Runs
// once the scene's objects exist (blocks name objects by their meshes). A scene without a
// material file is normal. Each block is read to plain data, then its programs, textures and
// combiner lists are made before the next block is read; GL must be current.
void readMaterialFile(Scene& scene, const DemoPaths& paths, TextureCache& textures,
                      ProgramRegistry& programs);
