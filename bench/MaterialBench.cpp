// The cost of a material pass: an object of about 10,000 triangles drawn with one pass (push,
// apply, draw, pop) next to the bare display-list call with the same state set once by hand,
// in alternating rounds. The goal is a ratio within 1.05.
#include "GridMesh.h"
#include "Interleaved.h"
#include "material/MaterialApply.h"
#include "mesh/Po2Reader.h"
#include "mesh/Po2Writer.h"
#include "render/MeshDraw.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdint>
#include <string>

namespace {

// 71 x 71 quads: 10,082 triangles.
constexpr int gridSide = 71;

Po2Description colouredGrid()
{
    Po2Description mesh = gridMesh(gridSide, gridSide, false);
    mesh.flags |= MeshFlag::Colours;
    mesh.colours = {0.5f, 0.25f, 0.125f, 1.0f};
    mesh.colourIndices.assign(mesh.vertexIndices.size(), 0);
    return mesh;
}

// Additive, constant-alpha blending with depth writes off and the culled side flipped.
Material passMaterial()
{
    Material material;
    BlendState blend;
    blend.srcFactor = GL_CONSTANT_ALPHA_EXT;
    blend.dstFactor = GL_ONE;
    blend.constColour = {0.0f, 0.0f, 0.0f, 0.5f};
    material.blend = blend;
    material.depth = DepthState{true, GL_FALSE, GL_LEQUAL};
    material.cull = CullState{true, GL_CCW};
    return material;
}

struct DrawSetup {
    DrawSetup()
    {
        ensureOffscreenGl(256, 256);
        resetGlState();
        glDisable(GL_LIGHTING);
        writePo2File(dir.file("grid.po2"), colouredGrid());
        mesh = readPo2(dir.file("grid.po2"), [](const std::string&) { return nullptr; });
        compileDisplayList(mesh);
    }
    TempDir dir;
    Mesh mesh;
};

// The state is set once outside the pass as well: the pass's push and pop leave it in place for
// the bare side, so both draw the same pixels.
void BM_MaterialPass(benchmark::State& state)
{
    DrawSetup setup;
    const Material material = passMaterial();
    applyMaterial(material);
    const GLuint list = setup.mesh.displayList.get();
    const auto player = [&material, list] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        applyMaterial(material);
        glCallList(list);
        glPopAttrib();
        glFinish();
    };
    const auto baseline = [list] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glCallList(list);
        glFinish();
    };
    runInterleaved(state, "material-pass", {player, baseline});
}
BENCHMARK(BM_MaterialPass)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

} // namespace

int main(int argc, char** argv)
{
    return interleavedMain(argc, argv);
}
