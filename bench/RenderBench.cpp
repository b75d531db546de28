// Whole scene renders at 640 x 480 on the offscreen context, each interleaved with a minimal
// loop that draws the same geometry without the player's logic. The ratios printed at the end
// are the player's own cost per frame.

#include "Interleaved.h"
#include "render/MeshDraw.h"
#include "render/RenderFixture.h"
#include "render/SceneRender.h"
#include "support/OffscreenGl.h"

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int width = 640;
constexpr int height = 480;
constexpr int staticObjects = 50;

// A columns x rows grid of vertices on the XY plane, two clockwise triangles per cell (or one
// quad, since a PO2 file holds at most 65,535 polygons); wave bends it along Z.
Po2Description grid(int columns, int rows, float side, float wave, bool quads = false)
{
    Po2Description mesh;
    mesh.flags = quads ? MeshFlag::Polygons : MeshFlag::Polygons | MeshFlag::TrianglesOnly;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const float x = side * (static_cast<float>(c) / static_cast<float>(columns - 1) - 0.5f);
            const float y = side * (static_cast<float>(r) / static_cast<float>(rows - 1) - 0.5f);
            mesh.positions.insert(mesh.positions.end(), {x, y, wave * x * y});
        }
    }
    for (int r = 0; r + 1 < rows; ++r) {
        for (int c = 0; c + 1 < columns; ++c) {
            const auto at = [&](int dr, int dc) {
                return static_cast<std::uint16_t>((r + dr) * columns + c + dc);
            };
            if (quads) {
                mesh.polygonSizes.push_back(4);
                mesh.vertexIndices.insert(mesh.vertexIndices.end(),
                                          {at(0, 0), at(1, 0), at(1, 1), at(0, 1)});
            } else {
                mesh.vertexIndices.insert(mesh.vertexIndices.end(), {at(0, 0), at(1, 0), at(1, 1),
                                                                     at(0, 0), at(1, 1), at(0, 1)});
            }
        }
    }
    return mesh;
}

// The demo root, its registries and one loaded scene.
struct BenchScene {
    BenchScene(const std::vector<std::pair<std::string, std::string>>& files,
               const std::string& body)
    {
        for (const auto& [relative, bytes] : files)
            dir.write(relative, bytes);
        dir.write("scenes/bench.lws",
                  "LWSC\n3\nFirstFrame 0\nLastFrame 60\nFramesPerSecond 30\n" + body);
        scene = loadSceneWithMaterials("bench", assets);
    }

    TempDir dir;
    DemoAssets assets{DemoPaths{dir.path().string(), "textures", "scenes", 4.0f / 3.0f}};
    std::unique_ptr<Scene> scene;
};

const std::string lighting = "AmbientColor 1 1 1\nAmbientIntensity 0.2\n";

std::string sunAndCamera()
{
    lws::Placement sun;
    sun.z = -10.0f;
    sun.y = 10.0f;
    return lws::light("Sun", sun, {1.0f, 1.0f, 1.0f}, "1", 0) + lws::camera(lws::Placement{});
}

// Made once, on first use, so that both benchmarks of a pair draw the same loaded scene.
BenchScene& staticScene()
{
    static std::unique_ptr<BenchScene> shared;
    if (!shared) {
        ensureOffscreenGl(width, height);
        std::string body = lighting;
        for (int i = 0; i < staticObjects; ++i) {
            lws::Placement placement;
            placement.x = static_cast<float>(i % 10) - 4.5f;
            placement.y = static_cast<float>(i / 10) - 2.0f;
            placement.z = 12.0f;
            placement.heading = 0.01f * static_cast<float>(i);
            body += lws::object("Objects/Grid.lwo", placement);
        }
        // 51 x 101 vertices: 10,000 triangles.
        shared = std::make_unique<BenchScene>(
            std::vector<std::pair<std::string, std::string>>{
                {"Objects/Grid.po2", writePo2(grid(51, 101, 0.9f, 0.3f))}},
            body + sunAndCamera());
    }
    return *shared;
}

BenchScene& morphScene()
{
    static std::unique_ptr<BenchScene> shared;
    if (!shared) {
        ensureOffscreenGl(width, height);
        lws::Placement placement;
        placement.z = 6.0f;
        const std::string amount = "MorphAmount " + lws::channel({{0.0f, 0.0f}, {1.0f, 1.0f}}) +
                                   "MorphTarget 2\nMorphSurfaces 0\n";
        // 250 x 200 vertices in 49,551 quads, morphing between a flat and a bent sheet.
        shared = std::make_unique<BenchScene>(
            std::vector<std::pair<std::string, std::string>>{
                {"Objects/Flat.po2", writePo2(grid(250, 200, 4.0f, 0.0f, true))},
                {"Objects/Bent.po2", writePo2(grid(250, 200, 4.0f, 0.5f, true))}},
            lighting + lws::object("Objects/Flat.lwo", placement, amount) +
                lws::object("Objects/Bent.lwo", placement, "ObjectDissolve 1.0") + sunAndCamera());
    }
    return *shared;
}

// One frame as the player draws it; t walks through the first second of the scene.
std::function<void()> playerFrames(BenchScene& bench)
{
    return [&bench, t = 0.0f]() mutable {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        enableSceneLights(*bench.scene);
        renderScene(*bench.scene, t, *bench.scene->cameras.front());
        glFinish();
        t += 1.0f / 60.0f;
        if (t > 1.0f)
            t = 0.0f;
    };
}

// One untimed frame from the initial state: it leaves the view, the light and the object
// matrices as the player does, and keeps llvmpipe's first-frame set-up out of every timing.
void loadPlayerState(BenchScene& bench)
{
    resetGlState();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    enableSceneLights(*bench.scene);
    renderScene(*bench.scene, 0.5f, *bench.scene->cameras.front());
}

void BM_StaticObjects(benchmark::State& state)
{
    BenchScene& bench = staticScene();
    loadPlayerState(bench);
    std::vector<const SceneObject*> objects;
    for (const auto& object : bench.scene->objects)
        objects.push_back(object.get());
    // The player leaves the matrices and lights as they were set up: the loop only draws.
    const auto bareLoop = [&objects] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        for (const SceneObject* object : objects) {
            glLoadMatrixf(object->matrixCache.matrix);
            glCallList(object->mesh->displayList.get());
        }
        glFinish();
    };
    runInterleaved(state, "static_objects_over_bare_glCallList", {playerFrames(bench), bareLoop});
}

// The working copy as it stands, drawn with nothing but glBegin, glNormal, glVertex and glEnd.
void bareImmediate(const Mesh& mesh)
{
    std::uint32_t first = 0;
    for (std::uint16_t size : mesh.polygonSizes) {
        glBegin(size == 3 ? GL_TRIANGLES : size == 4 ? GL_QUADS : GL_POLYGON);
        for (std::uint32_t c = first; c < first + size; ++c) {
            const std::size_t vertex = mesh.vertexIndices[c];
            glNormal3fv(&mesh.normals[vertex * 3]);
            glVertex3fv(&mesh.positions[vertex * 3]);
        }
        glEnd();
        first += size;
    }
}

// The same polygons from client arrays: the grid is all quads and indexes its vertices alone.
void bareArrays(const Mesh& mesh)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
    glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    glDrawElements(GL_QUADS, static_cast<GLsizei>(mesh.cornerCount), GL_UNSIGNED_SHORT,
                   mesh.vertexIndices.data());
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void morphPair(benchmark::State& state, const std::string& name, void (*bare)(const Mesh&))
{
    BenchScene& bench = morphScene();
    loadPlayerState(bench);
    const SceneObject& object = *bench.scene->objects.front();
    const auto bareLoop = [&object, bare] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(object.matrixCache.matrix);
        bare(*object.morphMesh);
        glFinish();
    };
    runInterleaved(state, name, {playerFrames(bench), bareLoop});
}

void BM_MorphVersusImmediate(benchmark::State& state)
{
    morphPair(state, "morph_over_bare_immediate_mode", bareImmediate);
}

void BM_MorphVersusArrays(benchmark::State& state)
{
    morphPair(state, "morph_over_bare_glDrawElements", bareArrays);
}

constexpr int rounds = 30;
// Static frames swing most with the machine: more rounds steady their median.
BENCHMARK(BM_StaticObjects)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2 * rounds);
BENCHMARK(BM_MorphVersusImmediate)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(rounds);
BENCHMARK(BM_MorphVersusArrays)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(rounds);

} // namespace

int main(int argc, char** argv)
{
    return interleavedMain(argc, argv);
}
