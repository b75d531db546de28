#include "RenderFixture.h"

#include "render/SceneRender.h"
#include "support/OffscreenGl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

using lws::Placement;

constexpr const char* squareFile = "Objects/Square.lwo";
const std::string unlit = "UnaffectedByFog 1";
const std::string noLight = "AmbientColor 1 1 1\nAmbientIntensity 0\n";

Placement at(float x, float y, float z)
{
    Placement placement;
    placement.x = x;
    placement.y = y;
    placement.z = z;
    return placement;
}

class SceneRender : public RenderFixture {
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        writeMesh(squareFile, shapes::square(1.0f));
    }

    // One unlit white unit square at distance z in front of a camera at the origin.
    Scene& squareScene(float z, const std::string& sceneLines = noLight,
                       const std::string& options = unlit, const std::string& name = "test")
    {
        return load(sceneLines + lws::object(squareFile, at(0, 0, z), options) +
                        lws::camera(Placement{}),
                    name);
    }
};

constexpr Rgb white{255, 255, 255};
constexpr Rgb black{0, 0, 0};

TEST_F(SceneRender, ProjectionSpanFollowsZoomAndAspectWhateverTheNearPlane)
{
    // Zoom 3.2 at distance 6.4 puts the square's edges at 0.5 of the half-height and
    // 0.5 / (4/3) = 0.375 of the half-width: columns 20 to 44 and rows 12 to 36 of 64 x 48.
    ensureOffscreenGl(64, 48);
    assets.paths.aspect = 4.0f / 3.0f;
    // A near distance of 0 leaves no depth resolution, but the picture keeps its span.
    int sceneNumber = 0;
    for (const char* nearLine : {"", "NearClipDistance 0.1\n", "NearClipDistance 0\n"}) {
        Scene& scene = squareScene(6.4f, std::string(nearLine) + noLight, unlit,
                                   "near" + std::to_string(sceneNumber++));
        render(scene);
        SCOPED_TRACE(nearLine);
        float projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        for (float element : projection)
            EXPECT_TRUE(std::isfinite(element));
        expectPixel(21, 24, white);
        expectPixel(42, 24, white);
        expectPixel(18, 24, black);
        expectPixel(45, 24, black);
        expectPixel(32, 13, white);
        expectPixel(32, 34, white);
        expectPixel(32, 10, black);
        expectPixel(32, 37, black);
    }
}

TEST_F(SceneRender, FarPlaneIsInfiniteUnlessFogMaxDistanceGivesOne)
{
    // A square a million units away, scaled to fill the view.
    Placement far = at(0, 0, 1.0e6f);
    far.scaleX = far.scaleY = far.scaleZ = 5.0e5f;
    const auto sceneWith = [&](const std::string& lines, const std::string& name) -> Scene& {
        return load(
            noLight + lines + lws::object(squareFile, far, unlit) + lws::camera(Placement{}), name);
    };
    render(sceneWith("", "infinite"));
    expectPixel(32, 32, white);
    // Fog stays off, yet its end distance is the far plane.
    render(sceneWith("FogType 0\nFogMaxDistance 1000\n", "clipped"));
    expectPixel(32, 32, black);
    render(sceneWith("FogMaxDistance 2000000\n", "beyond"));
    expectPixel(32, 32, white);

    // A far plane on the near plane would divide by zero: the projection stays finite.
    render(squareScene(5.0f, noLight + "FogMaxDistance 1\n", unlit, "degenerate"));
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (float element : projection)
        EXPECT_TRUE(std::isfinite(element));
    expectPixel(32, 32, white);
}

TEST_F(SceneRender, SkippedObjectsStillPlaceTheirChildren)
{
    writeMesh("Objects/Small.lwo", shapes::square(0.5f));
    const std::string child =
        lws::object("Objects/Small.lwo", at(0, 0, 5), "ParentItem 10000000\n" + unlit);
    // A null object, then a fully dissolved one, carries the child to the upper right.
    render(load(noLight + "\nAddNullObject Null\nShowObject 6 7\nObjectMotion\n" +
                    lws::motion(at(1.5f, 1.5f, 0)) + "ShadowOptions 7\n" + child +
                    lws::camera(Placement{}),
                "null"));
    expectPixel(58, 58, white);
    expectPixel(32, 32, black);
    render(load(noLight + lws::object(squareFile, at(1.5f, 1.5f, 0), "ObjectDissolve 1.0") + child +
                    lws::camera(Placement{}),
                "dissolved"));
    expectPixel(58, 58, white);
    expectPixel(32, 32, black);
}

TEST_F(SceneRender, LightWavePlusZGoesIntoTheScreen)
{
    writeMesh("Objects/Small.lwo", shapes::square(0.5f));
    // (1.5, 1.5, 5) lands at 0.96 of the half-extent: the upper right corner of the picture.
    Scene& ahead = load(noLight + lws::object("Objects/Small.lwo", at(1.5f, 1.5f, 5.0f), unlit) +
                            lws::camera(Placement{}),
                        "ahead");
    render(ahead);
    expectPixel(58, 58, white);
    expectPixel(5, 5, black);
    expectPixel(5, 58, black);

    Scene& behind = load(noLight + lws::object("Objects/Small.lwo", at(1.5f, 1.5f, -5.0f), unlit) +
                             lws::camera(Placement{}),
                         "behind");
    render(behind);
    expectPixel(58, 58, black);
    expectPixel(5, 5, black);
}

TEST_F(SceneRender, DistantLightShinesFromItsMirroredOrigin)
{
    // The light at (4, 0, 10) becomes the eye-space direction (-4, 0, 10); the square's normal
    // faces the eye, so it gets 10 / sqrt(116) of the light's intensity 0.5.
    Scene& scene = load(noLight + lws::object(squareFile, at(0, 0, 5), "") +
                        lws::light("Sun", at(4, 0, 10), {1.0f, 0.5f, 0.25f}, "0.5", 0) +
                        lws::camera(Placement{}));
    render(scene);
    const float lit = 0.5f * 10.0f / std::sqrt(116.0f) * 255.0f;
    expectPixel(32, 32,
                {static_cast<int>(lit + 0.5f), static_cast<int>(lit * 0.5f + 0.5f),
                 static_cast<int>(lit * 0.25f + 0.5f)});

    float position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_FLOAT_EQ(position[0], -4.0f);
    EXPECT_FLOAT_EQ(position[1], 0.0f);
    EXPECT_FLOAT_EQ(position[2], 10.0f);
    EXPECT_EQ(position[3], 0.0f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
}

TEST_F(SceneRender, DistantLightFlaresAtItsMirroredPointAndKeepsItsChildrenInPlace)
{
    // A sun behind the camera at (0, 0, -10) flares in front of it, at (0, 0, 10), where its
    // light shines from; its child square, 15 ahead of it, stays at (1, 0, 5) in the sun's own
    // frame, though the light was set up first.
    writeTga("textures/Sun.tga", {255, 255, 255, 255});
    writeMesh("Objects/Small.lwo", shapes::square(0.5f));
    const std::string flare =
        "FlareIntensity 1\nFlareNominalDistance 5\nFlareDissolve 0\nLensFlareFade 0";
    render(load(noLight + lws::light("Sun", at(0, 0, -10), {0.0f, 0.0f, 1.0f}, "1", 0, flare) +
                lws::object("Objects/Small.lwo", at(1, 0, 15), "ParentItem 20000000\n" + unlit) +
                lws::camera(Placement{})));
    expectPixel(32, 32, {0, 0, 255});
    // The child at (1, 0, 5) lands at 0.64 of the half-width.
    expectPixel(52, 32, white);
    // Its light comes from the same mirrored point, in front of the camera (eye-space -Z).
    float position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_FLOAT_EQ(position[2], -10.0f);
    EXPECT_EQ(position[3], 0.0f);

    // A sun ahead flares behind the camera: nothing shows. A switched-off distant light (its type
    // word carries the switch-off mark) is no distant light to the renderer and flares at its
    // own place, ahead.
    render(load(noLight + lws::light("Sun", at(0, 0, 10), {0.0f, 0.0f, 1.0f}, "1", 0, flare) +
                    lws::camera(Placement{}),
                "ahead"));
    expectPixel(32, 32, black);
    render(load(noLight + lws::light("Sun", at(0, 0, 10), {0.0f, 0.0f, 1.0f}, "0", 0, flare) +
                    lws::camera(Placement{}),
                "off"));
    expectPixel(32, 32, {0, 0, 255});

    // Under a moved and turned camera the mirrored direction is taken through the view.
    Placement camera = at(1, 2, 3);
    camera.heading = 0.5f;
    render(load(noLight + lws::light("Sun", at(0, 0, 10), {1.0f, 1.0f, 1.0f}, "1", 0) +
                    lws::light("Mirror", at(0, 0, -10), {1.0f, 1.0f, 1.0f}, "1", 1) +
                    lws::camera(camera),
                "moved"));
    float mirrored[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, mirrored);
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(position[i], mirrored[i], 1e-4f) << i;
}

TEST_F(SceneRender, PointLightFallsOffWithTheAngleAtEachCorner)
{
    // Two units in front of the square's centre: every corner sees it at 2 / sqrt(6).
    Scene& scene = load(noLight + lws::object(squareFile, at(0, 0, 5), "") +
                        lws::light("Bulb", at(0, 0, 3), {1.0f, 1.0f, 1.0f}, "1.0", 1) +
                        lws::camera(Placement{}));
    render(scene);
    const int lit = static_cast<int>(2.0f / std::sqrt(6.0f) * 255.0f + 0.5f);
    expectPixel(32, 32, {lit, lit, lit});
    float position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_FLOAT_EQ(position[2], -3.0f);
    EXPECT_EQ(position[3], 1.0f);
    float cutoff = 0.0f;
    glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, &cutoff);
    EXPECT_EQ(cutoff, 180.0f);
}

TEST_F(SceneRender, SpotLightConeLightsOnlyWhatLiesTowardsTheEye)
{
    // Two floor tiles under a light at (0, 0, 8): the near one lies inside the cone, which
    // points at the eye; the far one lies outside it.
    writeMesh("Objects/Near.lwo", shapes::floor(-0.5f, 0.5f, 4.5f, 5.5f, -1.0f));
    writeMesh("Objects/Far.lwo", shapes::floor(-1.0f, 1.0f, 8.0f, 10.0f, -1.0f));
    const auto floorScene = [&](int type, const std::string& name) -> Scene& {
        const std::string cone = type == 2 ? "LightConeAngle 45" : "";
        return load(noLight + lws::object("Objects/Near.lwo", Placement{}, "") +
                        lws::object("Objects/Far.lwo", Placement{}, "") +
                        lws::light("Spot", at(0, 0, 8), {1.0f, 1.0f, 1.0f}, "1.0", type, cone) +
                        lws::camera(Placement{}),
                    name);
    };
    Scene& point = floorScene(1, "point");
    render(point);
    const Rgb nearByPoint = pixel(32, 11);
    EXPECT_GT(pixel(32, 20).r, 60);
    EXPECT_GT(nearByPoint.r, 40);

    Scene& spot = floorScene(2, "spot");
    render(spot);
    expectPixel(32, 11, nearByPoint);
    expectPixel(32, 20, black);

    float cutoff = 0.0f;
    float direction[4] = {};
    glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, &cutoff);
    glGetLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, direction);
    EXPECT_EQ(cutoff, 45.0f);
    EXPECT_FLOAT_EQ(direction[2], 1.0f);
    // Vertex programs find the light's eye-space matrix in its program matrix.
    float programMatrix[16];
    glMatrixMode(GL_MATRIX0_ARB);
    glGetFloatv(GL_CURRENT_MATRIX_ARB, programMatrix);
    glMatrixMode(GL_MODELVIEW);
    const float* lightMatrix = spot.lights[0]->matrixCache.matrix;
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(programMatrix[i], lightMatrix[i]) << i;
    EXPECT_FLOAT_EQ(programMatrix[14], -8.0f);

    // Back to positional lights on the same GL light: the spot scene's cone must not stay, for
    // a point light nor for the later LightWave types that light as positional lights.
    render(point);
    expectPixel(32, 11, nearByPoint);
    EXPECT_GT(pixel(32, 20).r, 60);
    render(spot);
    render(floorScene(3, "linear"));
    expectPixel(32, 11, nearByPoint);
    glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, &cutoff);
    EXPECT_EQ(cutoff, 180.0f);
}

TEST_F(SceneRender, WithoutLightsOnlyAmbientLightRemains)
{
    for (int i = 0; i < 8; ++i)
        glEnable(GL_LIGHT0 + static_cast<GLenum>(i));
    Scene& scene = squareScene(5.0f, "AmbientColor 1 0.5 0.25\nAmbientIntensity 0.8\n", "");
    render(scene);
    expectPixel(32, 32, {204, 102, 51});
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(glIsEnabled(GL_LIGHT0 + static_cast<GLenum>(i))) << i;

    // The same square unlit ignores the ambient light and shows its colour.
    render(squareScene(5.0f, "AmbientColor 1 0.5 0.25\nAmbientIntensity 0.8\n", unlit, "unlit"));
    expectPixel(32, 32, white);
    // A scene without ambient lines gets intensity 0: a lit square is black.
    render(squareScene(5.0f, "", "", "dark"));
    expectPixel(32, 32, black);
}

TEST_F(SceneRender, LinearFogRunsFromStartToEndDistance)
{
    const std::string fog =
        noLight + "FogType 1\nFogMinDistance 10\nFogMaxDistance 20\nFogColor 1 0 0\n";
    struct Case {
        float z;
        float fogged; // fraction of the fog colour
    };
    for (const Case c : {Case{10.0f, 0.0f}, Case{15.0f, 0.5f}, Case{19.0f, 0.9f}}) {
        SCOPED_TRACE(c.z);
        render(squareScene(c.z, fog, unlit, "fog" + std::to_string(static_cast<int>(c.z))));
        const int rest = static_cast<int>((1.0f - c.fogged) * 255.0f + 0.5f);
        expectPixel(32, 32, {255, rest, rest});
    }
    float colour[4];
    glGetFloatv(GL_FOG_COLOR, colour);
    EXPECT_EQ(colour[1], 0.0f);
    // Any other fog type switches fog off, though the far plane stays, and sends no fog colour.
    glFogfv(GL_FOG_COLOR, std::array<float, 4>{0.0f, 0.0f, 1.0f, 1.0f}.data());
    render(squareScene(15.0f, noLight + "FogType 2\nFogMaxDistance 20\nFogColor 1 0 0\n", unlit,
                       "nofog"));
    expectPixel(32, 32, white);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    glGetFloatv(GL_FOG_COLOR, colour);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[2], 1.0f);
}

// Linear fog with equal start and end divides by zero; such scenes (fog type 1 without any
// distances above all) draw without fog, whatever the driver would make of it.
TEST_F(SceneRender, LinearFogWithEqualDistancesDrawsNoFog)
{
    // The far plane is the fog end, so equal distances are tried in front of the square only;
    // Mesa happens to draw no fog there either, so the switch is checked besides the pixels.
    for (const char* distances : {"", "FogMinDistance 8\nFogMaxDistance 8\n"}) {
        SCOPED_TRACE(distances);
        const std::string name = "flat" + std::to_string(std::string(distances).size());
        render(squareScene(5.0f, noLight + "FogType 1\n" + distances + "FogColor 1 0 0\n", unlit,
                           name));
        expectPixel(32, 32, white);
        EXPECT_FALSE(glIsEnabled(GL_FOG));
    }
}

TEST_F(SceneRender, DissolveFadeAndBlendSwitchesSetTheOpacity)
{
    const std::string dissolveEnvelope =
        "ObjectDissolve " + lws::channel({{0.0f, 0.0f}, {1.0f, 1.0f}});
    Scene& dissolving = squareScene(5.0f, noLight, dissolveEnvelope + unlit, "dissolving");
    render(dissolving, 0.0f);
    expectPixel(32, 32, white);
    render(dissolving, 0.5f);
    expectPixel(32, 32, {128, 128, 128});
    // Fully dissolved but still drawn: alpha 0 fails the alpha test.
    render(dissolving, 1.0f);
    expectPixel(32, 32, black);

    // Without blending the alpha no longer shows.
    Scene& opaque = squareScene(
        5.0f, noLight, "ObjectDissolve 0.5\nUnaffectedByFog 1\nUnseenByAlphaChannel 1", "opaque");
    render(opaque);
    expectPixel(32, 32, white);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(SceneRender, CameraBlurLengthFadesObjectsButNotTheBackground)
{
    writeTga("Images/blue.tga", {0, 0, 255, 255});
    const auto fadedScene = [&](const std::string& blur, const std::string& name,
                                const std::string& options = unlit) -> Scene& {
        return load(
            noLight + "BGImage 0 0 0 0 \"Images/blue.tga\"\n" +
                lws::object(squareFile, at(0, 0, 5), options) +
                lws::camera(Placement{}, "3.2", "MotionBlur 2 FieldRendering 0 BlurLength " + blur),
            name);
    };
    render(fadedScene("0.25", "quarter"));
    expectPixel(32, 32, {191, 191, 255});
    expectPixel(2, 2, {0, 0, 255});
    // An additive object fades by its colour instead of its alpha.
    render(fadedScene("0.25", "additive", unlit + "\nUnseenByRays 1"));
    expectPixel(32, 32, {191, 191, 255});
    render(fadedScene("1", "full"));
    expectPixel(32, 32, {0, 0, 255});
}

TEST_F(SceneRender, AdditiveObjectsAddWithoutWritingDepth)
{
    writeMesh("Objects/Grey.lwo", shapes::square(2.0f));
    const std::string grey = "AmbientColor 1 1 1\nAmbientIntensity 0.4\n";
    const std::string additive = "ObjectDissolve 0.5\nUnaffectedByFog 1\nUnseenByRays 1";
    // Grey first, then the additive square in front of it: 102 + 128.
    render(load(grey + lws::object("Objects/Grey.lwo", at(0, 0, 6), "") +
                    lws::object(squareFile, at(0, 0, 5), additive) + lws::camera(Placement{}),
                "over"));
    expectPixel(32, 32, {230, 230, 230});
    expectPixel(32, 8, {102, 102, 102});
    // Additive first: it leaves no depth, so the grey square behind it still covers it.
    render(load(grey + lws::object(squareFile, at(0, 0, 5), additive) +
                    lws::object("Objects/Grey.lwo", at(0, 0, 6), "") + lws::camera(Placement{}),
                "under"));
    expectPixel(32, 32, {102, 102, 102});
    // An additive object dissolved to 1 adds black.
    render(load(noLight +
                    lws::object(squareFile, at(0, 0, 5),
                                "ObjectDissolve " + lws::channel({{0.0f, 1.0f}}) +
                                    "UnaffectedByFog 1\nUnseenByRays 1") +
                    lws::camera(Placement{}),
                "gone"));
    expectPixel(32, 32, black);
}

TEST_F(SceneRender, NoDepthTestFlagDrawsOverNearerObjects)
{
    writeMesh("Objects/Red.lwo", shapes::colouredSquare(1.0f, {1.0f, 0.0f, 0.0f, 1.0f}));
    writeMesh("Objects/Green.lwo", shapes::colouredSquare(2.0f, {0.0f, 1.0f, 0.0f, 1.0f}));
    const auto pair = [&](const std::string& greenOptions, const std::string& name) -> Scene& {
        return load(noLight + lws::object("Objects/Red.lwo", at(0, 0, 5), unlit) +
                        lws::object("Objects/Green.lwo", at(0, 0, 10), greenOptions) +
                        lws::camera(Placement{}),
                    name);
    };
    render(pair(unlit, "tested"));
    expectPixel(32, 32, {255, 0, 0});
    expectPixel(32, 4, black);
    render(pair(unlit + "\nUnseenByCamera 1", "untested"));
    expectPixel(32, 32, {0, 255, 0});
}

TEST_F(SceneRender, FlaresAddOverObjectsUnlessDepthTested)
{
    writeMesh("Objects/Navy.lwo", shapes::colouredSquare(1.0f, {0.0f, 0.0f, 0.5f, 1.0f}));
    writeTga("textures/Sun.tga", {255, 255, 255, 255});
    const auto flareScene = [&](int fade, const std::string& name,
                                const std::string& dissolve = "0") -> Scene& {
        // Intensity 0 switches the light off; its flare stays.
        const std::string flare = "FlareIntensity 1\nFlareNominalDistance 5\nFlareDissolve " +
                                  dissolve + "\nLensFlareFade " + std::to_string(fade);
        return load(noLight + lws::object("Objects/Navy.lwo", at(0, 0, 5), unlit) +
                        lws::light("Sun", at(0, 0, 10), {1.0f, 0.5f, 0.0f}, "0", 1, flare) +
                        lws::camera(Placement{}),
                    name);
    };
    // The flare is a 2 x 2 square at distance 10, the navy square 2 x 2 at distance 5.
    render(flareScene(0, "through"));
    expectPixel(32, 32, {255, 128, 128});
    expectPixel(32, 48, {0, 0, 128});
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    render(flareScene(8, "hidden"));
    expectPixel(32, 32, {0, 0, 128});
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    // Bit 0x10 fogs the flare, though the scene has no fog: a black fog ending at the eye
    // swallows it, and only the navy square, drawn without fog, is left.
    glFogfv(GL_FOG_COLOR, std::array<float, 4>{0.0f, 0.0f, 0.0f, 1.0f}.data());
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 1.0f);
    render(flareScene(16, "fogged"));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    expectPixel(32, 32, {0, 0, 128});
    expectPixel(32, 48, {0, 0, 128});

    // The dissolve goes to the flare's alpha: it adds as before until the alpha test drops it.
    render(flareScene(0, "dimmed", "0.25"));
    expectPixel(32, 32, {255, 128, 128});
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.75f);
    render(flareScene(0, "dissolved", "1"));
    expectPixel(32, 32, {0, 0, 128});
}

TEST_F(SceneRender, ForegroundCoversTheSceneWithItsDissolve)
{
    writeTga("Images/blue.tga", {0, 0, 255, 255});
    writeTga("Images/red.tga", {255, 0, 0, 255});
    const std::string images =
        noLight + "BGImage 0 0 0 0 \"Images/blue.tga\"\nFGImage 0 0 0 0 \"Images/red.tga\"\n";
    render(load(images + "FGDissolve 0.25\n" + lws::camera(Placement{}), "dissolved"));
    expectPixel(32, 32, {191, 0, 64});
    render(load(images + lws::object(squareFile, at(0, 0, 5), unlit) + lws::camera(Placement{}),
                "opaque"));
    expectPixel(32, 32, {255, 0, 0});
    // The background alone sits behind the objects.
    render(load(noLight + "BGImage 0 0 0 0 \"Images/blue.tga\"\n" +
                    lws::object(squareFile, at(0, 0, 5), unlit) + lws::camera(Placement{}),
                "background"));
    expectPixel(32, 32, white);
    expectPixel(2, 2, {0, 0, 255});
}

TEST_F(SceneRender, CameraShakeOffsetsTheViewByTheStandardGenerator)
{
    // A point light at the origin shows the view's translation in its eye-space position.
    Scene& scene = load(noLight + lws::light("Probe", Placement{}, {1, 1, 1}, "1", 1) +
                        lws::camera(Placement{}, "3.2", "MotionBlur 0 FieldRendering 0",
                                    "DepthOfField 1\nFocalDistance 0.5"));
    const float t = 0.1f;
    std::srand(7);
    float expected[3];
    for (float& d : expected)
        d = (static_cast<float>(std::rand() & 0x7fff) - 16383.5f) * 0.5f * std::sin(t * 50.0f) *
            0.00006103702f;
    std::srand(7);
    render(scene, t);
    float position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_NEAR(position[0], expected[0], 1e-6f);
    EXPECT_NEAR(position[1], expected[1], 1e-6f);
    EXPECT_NEAR(position[2], -expected[2], 1e-6f);
    EXPECT_GT(std::fabs(position[0]) + std::fabs(position[1]) + std::fabs(position[2]), 1e-3f);
    // Never further than the focal distance on any axis, whatever the generator's range.
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_LE(std::fabs(position[axis]), 0.5f);

    // At t = 0 the shake's sine is 0: the view stays put.
    render(scene, 0.0f);
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_EQ(position[0], 0.0f);
    EXPECT_EQ(position[1], 0.0f);
}

} // namespace
