#include "RenderFixture.h"

#include "mesh/Mesh.h"
#include "render/ObjectDraw.h"

#include <GL/gl.h>

#include <vector>

namespace {

using lws::Placement;

const std::string unlit = "UnaffectedByFog 1";
const std::string noLight = "AmbientColor 1 1 1\nAmbientIntensity 0\n";
const std::string hidden = "ObjectDissolve 1.0";

Placement at(float z)
{
    Placement placement;
    placement.z = z;
    return placement;
}

std::string morphTo(int target, const std::string& amount)
{
    return "MorphAmount " + amount + "\nMorphTarget " + std::to_string(target) +
           "\nMorphSurfaces 0\n";
}

// The mixer plug-in with one group holding one envelope per weight list.
std::string mixer(const std::vector<std::vector<std::pair<float, float>>>& weights)
{
    std::string text = "Plugin DisplacementHandler 1 LW_MorphMixer\n" +
                       std::to_string(weights.size()) + "\n1\nGroup 0\n" +
                       std::to_string(weights.size()) + "\nGroupEnd 0\n";
    for (std::size_t i = 0; i < weights.size(); ++i)
        text += "Morph " + std::to_string(i) + " name 0\n" + lws::envelope(weights[i]) + "End\n";
    return text + "EndPlugin\n";
}

std::vector<float> squarePositions(float half)
{
    return shapes::square(half).positions;
}

void expectPositions(const Mesh& mesh, const std::vector<float>& expected)
{
    ASSERT_EQ(mesh.positions.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_FLOAT_EQ(mesh.positions[i], expected[i]) << "coordinate " << i;
}

class ObjectDraw : public RenderFixture {
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        writeMesh("Objects/P.lwo", shapes::square(1.0f));
        writeMesh("Objects/Q.lwo", shapes::square(2.0f));
        writeMesh("Objects/R.lwo", shapes::square(4.0f));
        // Morph 0 moves vertex 0 by -1 in x and +1 in z; morph 1 moves vertices 2 and 3 by +1 in x.
        Po2Description mixed = shapes::square(1.0f);
        mixed.flags |= MeshFlag::Morphs;
        mixed.morphSizes = {1, 2};
        mixed.morphDeltas = {{-1.0f, 0.0f, 1.0f, 0}, {1.0f, 0.0f, 0.0f, 2}, {1.0f, 0.0f, 0.0f, 3}};
        writeMesh("Objects/Mixed.lwo", mixed);
    }
};

TEST_F(ObjectDraw, MorphChainBlendsTowardTheTargetsFreshShape)
{
    // P -> Q -> R at 0.5 each: Q becomes a square of half 3, P one of half 2.
    Scene& scene = load(noLight + lws::object("Objects/P.lwo", at(10), morphTo(2, "0.5") + unlit) +
                        lws::object("Objects/Q.lwo", at(10), morphTo(3, "0.5") + hidden) +
                        lws::object("Objects/R.lwo", at(10), hidden) + lws::camera(Placement{}));
    SceneObject& p = *scene.objects[0];
    SceneObject& q = *scene.objects[1];
    ASSERT_TRUE(isAnimated(p));
    EXPECT_FALSE(isAnimated(*scene.objects[2]));
    updateMorph(p, 0.0f);
    expectPositions(*q.morphMesh, squarePositions(3.0f));
    expectPositions(*p.morphMesh, squarePositions(2.0f));

    // Drawn, P covers columns 11.5 to 52.5 (half 2 at distance 10, zoom 3.2) instead of 22 to 42.
    render(scene);
    expectPixel(13, 32, {255, 255, 255});
    expectPixel(32, 13, {255, 255, 255});
    expectPixel(9, 32, {0, 0, 0});
}

TEST_F(ObjectDraw, ZeroMorphAmountDrawsTheBaseShapeThroughTheWorkingCopy)
{
    Scene& scene =
        load(noLight +
             lws::object("Objects/P.lwo", at(10),
                         morphTo(2, lws::channel({{0.0f, 0.0f}, {1.0f, 1.0f}})) + unlit) +
             lws::object("Objects/Q.lwo", at(10), hidden) + lws::camera(Placement{}));
    SceneObject& p = *scene.objects[0];
    render(scene, 0.0f);
    expectPositions(*p.morphMesh, squarePositions(1.0f));
    expectPixel(24, 32, {255, 255, 255});
    expectPixel(18, 32, {0, 0, 0});
    render(scene, 1.0f);
    expectPositions(*p.morphMesh, squarePositions(2.0f));
    expectPixel(18, 32, {255, 255, 255});
}

TEST_F(ObjectDraw, MixerAddsWeightsAboveThresholdOnly)
{
    // Channel 0 goes from 0.5 to -0.5, channel 1 from exactly 0.0001 to 1; a third channel has
    // no morph in the mesh and must be ignored.
    const std::string plugin =
        mixer({{{0.0f, 0.5f}, {1.0f, -0.5f}}, {{0.0f, 0.0001f}, {1.0f, 1.0f}}, {{0.0f, 5.0f}}});
    Scene& scene = load(noLight + lws::object("Objects/Mixed.lwo", at(10), plugin + unlit) +
                        lws::camera(Placement{}));
    SceneObject& object = *scene.objects[0];
    ASSERT_TRUE(isAnimated(object));

    prepareAnimatedMesh(object, 0.0f);
    expectPositions(*object.morphMesh, {-1.5f, -1, 0.5f, -1, 1, 0, 1, 1, 0, 1, -1, 0});
    // The next frame starts again from the base positions: the negative weight adds nothing.
    prepareAnimatedMesh(object, 1.0f);
    expectPositions(*object.morphMesh, {-1, -1, 0, -1, 1, 0, 2, 1, 0, 2, -1, 0});

    render(scene, 1.0f);
    // The right edge moved from column 42 to 52.
    expectPixel(50, 40, {255, 255, 255});
    expectPixel(20, 40, {0, 0, 0});
}

TEST_F(ObjectDraw, MixerDeltasGoOnTopOfTheMorphTargetBlend)
{
    const std::string plugin = mixer({{{0.0f, 1.0f}}, {{0.0f, 0.0f}}});
    Scene& scene = load(
        noLight + lws::object("Objects/Mixed.lwo", at(10), morphTo(2, "0.5") + plugin + unlit) +
        lws::object("Objects/Q.lwo", at(10), hidden) + lws::camera(Placement{}));
    SceneObject& object = *scene.objects[0];
    prepareAnimatedMesh(object, 0.0f);
    // Half way to the square of half 2, then vertex 0 moved by (-1, 0, +1).
    expectPositions(*object.morphMesh,
                    {-2.5f, -1.5f, 1, -1.5f, 1.5f, 0, 1.5f, 1.5f, 0, 1.5f, -1.5f, 0});
}

TEST_F(ObjectDraw, BlendStopsAtTheSmallerTargetMesh)
{
    Po2Description triangle;
    triangle.flags = MeshFlag::Polygons;
    triangle.positions = {-3, -3, 0, -3, 3, 0, 3, 3, 0};
    triangle.polygonSizes = {3};
    triangle.vertexIndices = {0, 1, 2};
    writeMesh("Objects/Tri.lwo", triangle);
    Scene& scene = load(noLight + lws::object("Objects/P.lwo", at(10), morphTo(2, "1") + unlit) +
                        lws::object("Objects/Tri.lwo", at(10), hidden) + lws::camera(Placement{}));
    SceneObject& p = *scene.objects[0];
    updateMorph(p, 0.0f);
    // Three vertices reach the target; the fourth, which the target lacks, keeps its base place.
    expectPositions(*p.morphMesh, {-3, -3, 0, -3, 3, 0, 3, 3, 0, 1, -1, 0});
}

TEST_F(ObjectDraw, MorphTargetCycleEndsInsteadOfRecursing)
{
    Scene& scene = load(noLight + lws::object("Objects/P.lwo", at(10), morphTo(2, "0.5") + unlit) +
                        lws::object("Objects/Q.lwo", at(10), morphTo(1, "0.5") + hidden) +
                        lws::camera(Placement{}));
    SceneObject& p = *scene.objects[0];
    SceneObject& q = *scene.objects[1];
    // The loader cuts the loop; put it back to see the draw side end on its own.
    p.morphTarget = &q;
    q.morphTarget = &p;
    updateMorph(p, 0.0f);
    // Q blends toward P's working copy as it stands (P's base), P toward Q's result.
    expectPositions(*q.morphMesh, squarePositions(1.5f));
    expectPositions(*p.morphMesh, squarePositions(1.25f));
}

TEST_F(ObjectDraw, NormalsFollowTheMorphOnlyWhereLightingNeedsThem)
{
    const std::string plugin = mixer({{{0.0f, 1.0f}}});
    Scene& scene =
        load(noLight + lws::object("Objects/Mixed.lwo", at(10), plugin) +
             lws::object("Objects/Mixed.lwo", at(10), plugin + unlit) + lws::camera(Placement{}));
    SceneObject& lit = *scene.objects[0];
    SceneObject& dark = *scene.objects[1];
    const std::vector<float> loaded = dark.morphMesh->normals;

    prepareAnimatedMesh(lit, 0.0f);
    prepareAnimatedMesh(dark, 0.0f);
    Mesh expected = lit.mesh->makeWorkingCopy();
    expected.positions = lit.morphMesh->positions;
    computeNormals(expected);
    EXPECT_EQ(lit.morphMesh->normals, expected.normals);
    EXPECT_NE(lit.morphMesh->normals, loaded);
    EXPECT_EQ(dark.morphMesh->normals, loaded);
}

TEST_F(ObjectDraw, PolygonlessMeshesDrawAsPointSpritesOfPolygonSize)
{
    Po2Description points;
    points.positions = {0, 0, 0, 0.78125f, 0, 0};
    writeMesh("Objects/Dots.lwo", points);
    // PolygonSize 0.002 gives sprites of 6 pixels around (32, 32) and (40, 32).
    Scene& scene =
        load(noLight + lws::object("Objects/Dots.lwo", at(10), "PolygonSize 0.002\n" + unlit) +
             lws::camera(Placement{}));
    render(scene);
    expectPixel(30, 30, {255, 255, 255});
    expectPixel(34, 34, {255, 255, 255});
    expectPixel(27, 32, {0, 0, 0});
    expectPixel(36, 32, {0, 0, 0});
    expectPixel(40, 32, {255, 255, 255});
    expectPixel(32, 37, {0, 0, 0});
    EXPECT_FALSE(glIsEnabled(GL_POINT_SPRITE_ARB));
}

TEST_F(ObjectDraw, MorphingPointMeshesDrawTheirWorkingCopy)
{
    Po2Description points;
    points.positions = {0, 0, 0, 0.78125f, 0, 0};
    writeMesh("Objects/Dots.lwo", points);
    Po2Description raised = points;
    raised.positions = {0, 0.78125f, 0, 0.78125f, 0.78125f, 0};
    writeMesh("Objects/Raised.lwo", raised);
    // Half way at t = 0.5, all the way at t = 1: the sprites rise from row 32 to row 40.
    Scene& scene =
        load(noLight +
             lws::object("Objects/Dots.lwo", at(10),
                         morphTo(2, lws::channel({{0.0f, 0.0f}, {1.0f, 1.0f}})) +
                             "PolygonSize 0.002\n" + unlit) +
             lws::object("Objects/Raised.lwo", at(10), hidden) + lws::camera(Placement{}));
    SceneObject& dots = *scene.objects[0];
    ASSERT_TRUE(isAnimated(dots));
    render(scene, 0.5f);
    expectPositions(*dots.morphMesh, {0, 0.390625f, 0, 0.78125f, 0.390625f, 0});
    render(scene, 1.0f);
    expectPositions(*dots.morphMesh, raised.positions);
    expectPixel(32, 40, {255, 255, 255});
    expectPixel(40, 40, {255, 255, 255});
    expectPixel(32, 32, {0, 0, 0});
    expectPixel(40, 32, {0, 0, 0});
}

} // namespace
