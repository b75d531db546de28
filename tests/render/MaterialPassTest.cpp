#include "RenderFixture.h"

#include "combiners/EmulatedCombiners.h"
#include "image/TextureCache.h"
#include "material/MaterialApply.h"
#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

namespace {

using lws::Placement;

const std::string unlit = "UnaffectedByFog 1";
const std::string noLight = "AmbientColor 1 1 1\nAmbientIntensity 0\n";

Placement at(float z, float heading = 0.0f)
{
    Placement placement;
    placement.z = z;
    placement.heading = heading;
    return placement;
}

// Passes the colour through, as the simplest vertex programs do.
const std::string plainVertexProgram = "!!ARBvp1.0\nPARAM mvp[4] = { state.matrix.mvp };\n"
                                       "DP4 result.position.x, mvp[0], vertex.position;\n"
                                       "DP4 result.position.y, mvp[1], vertex.position;\n"
                                       "DP4 result.position.z, mvp[2], vertex.position;\n"
                                       "DP4 result.position.w, mvp[3], vertex.position;\n"
                                       "MOV result.color, vertex.color;\nEND\n";

constexpr Rgb black{0, 0, 0};
constexpr Rgb white{255, 255, 255};

// Objects are found by mesh base name: Front, Back and so on. The front square covers columns
// and rows 12 to 52 of the 64 x 64 picture; the back one fills it.
class MaterialPass : public RenderFixture {
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        writeMesh("Objects/Front.lwo", shapes::colouredSquare(1.0f, {0.5f, 0.5f, 0.5f, 1.0f}));
        writeMesh("Objects/Back.lwo", shapes::colouredSquare(4.0f, {0.25f, 0.5f, 0.75f, 1.0f}));
        writeMesh("Objects/Green.lwo", shapes::colouredSquare(4.0f, {0.0f, 1.0f, 0.0f, 1.0f}));
        writeMesh("Objects/White.lwo", shapes::square(1.0f));
    }

    // A scene of the given objects (mesh base name, distance) in order, with this material file.
    Scene& sceneWith(const std::vector<std::pair<std::string, float>>& objects,
                     const std::string& materials, const std::string& lines = "")
    {
        const std::string name = "scene" + std::to_string(next++);
        dir.write("scenes/" + name + ".txt", materials);
        std::string body = noLight + lines;
        for (const auto& [mesh, z] : objects)
            body += lws::object("Objects/" + mesh + ".lwo", at(z), unlit);
        return load(body + lws::camera(Placement{}), name);
    }

    int next = 0;
};

TEST_F(MaterialPass, BlendEquationsFactorsAndConstantColours)
{
    // The front square (0.5 grey) over the back one (0.25, 0.5, 0.75).
    const std::pair<const char*, Rgb> cases[] = {
        {"Blend Src 1 Dst 1", {191, 255, 255}},
        {"Blend Func Sub Src 1 Dst 1", {64, 0, 0}},
        {"Blend Func RevSub Src 1 Dst 1", {0, 0, 64}},
        {"Blend Func Min", {64, 128, 128}},
        {"Blend Func Max", {128, 128, 191}},
        {"Blend Src ConstColor Dst 0 ConstColor 1 0.5 0 1", {128, 64, 0}},
        {"Blend Src ConstAlpha Dst 1-ConstAlpha ConstAlpha 0.25", {80, 128, 175}},
        {"Blend Src 0 Dst 1-ConstColor ConstColor 1 0 0.5 1", {0, 128, 96}},
        {"Blend Off", {128, 128, 128}},
    };
    for (const auto& [spec, expected] : cases) {
        SCOPED_TRACE(spec);
        render(sceneWith({{"Back", 10.0f}, {"Front", 5.0f}},
                         "Front 1\n" + std::string(spec) + "\nDepth Func Always .\n"));
        expectPixel(32, 32, expected);
        expectPixel(4, 4, {64, 128, 191});
        // The pass's equation does not outlive it.
        GLint equation = 0;
        glGetIntegerv(GL_BLEND_EQUATION_EXT, &equation);
        EXPECT_EQ(equation, GL_FUNC_ADD_EXT);
    }
}

TEST_F(MaterialPass, DepthWritesOffLetLaterObjectsThrough)
{
    // The green square behind is drawn after the front one; it shows only where the front one
    // wrote no depth, or where its own depth function lets it pass.
    const std::pair<const char*, Rgb> cases[] = {
        {"Front 1\nDepth Func IfLess .\n", {128, 128, 128}},
        {"Front 1\nDepth Write Off Func IfLess .\n", {0, 255, 0}},
        {"Front 1\nDepth Off .\n", {0, 255, 0}},
        {"Green 1\nDepth Func Always .\n", {0, 255, 0}},
        {"Green 1\nDepth Func IfGreater .\n", {0, 255, 0}},
    };
    for (const auto& [materials, expected] : cases) {
        SCOPED_TRACE(materials);
        render(sceneWith({{"Front", 5.0f}, {"Green", 10.0f}}, materials));
        expectPixel(32, 32, expected);
        GLboolean writes = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
        EXPECT_EQ(writes, GL_TRUE);
    }
}

TEST_F(MaterialPass, CullFlipsTheCulledSideOrSwitchesCullingOff)
{
    // A square turned away from the camera shows its back.
    const auto turned = [&](const std::string& materials) -> Scene& {
        const std::string name = "turned" + std::to_string(next++);
        dir.write("scenes/" + name + ".txt", materials);
        return load(noLight + lws::object("Objects/White.lwo", at(5.0f, 3.14159265f), unlit) +
                        lws::camera(Placement{}),
                    name);
    };
    render(turned(""));
    expectPixel(32, 32, black);
    render(turned("White 1\nCull On .\n"));
    expectPixel(32, 32, white);
    render(turned("White 1\nCull Off .\n"));
    expectPixel(32, 32, white);
    // Facing the camera, the flipped side hides it; switched off, it stays.
    render(sceneWith({{"White", 5.0f}}, "White 1\nCull Back .\n"));
    expectPixel(32, 32, black);
    render(sceneWith({{"White", 5.0f}}, "White 1\nCull Off .\n"));
    expectPixel(32, 32, white);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint front = 0;
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_EQ(front, GL_CW);
}

TEST_F(MaterialPass, TwoTextureStagesModulateAndWriteTheirFiltersIntoTheTextures)
{
    writeTga("textures/White.tga", {255, 255, 255, 255});
    writeTga("textures/Orange.tga", {255, 128, 0, 255});
    writeTga("textures/Cyan.tga", {128, 255, 255, 255});
    Po2Description mesh = shapes::square(1.0f);
    mesh.flags |= MeshFlag::TexCoords0 | MeshFlag::TexCoords1;
    mesh.texture0Name = "White";
    mesh.texture1Name = "White";
    mesh.texCoords0 = {0, 0, 0, 1, 1, 1, 1, 0};
    mesh.texCoord0Indices = {0, 1, 2, 3};
    mesh.texCoords1 = mesh.texCoords0;
    mesh.texCoord1Indices = mesh.texCoord0Indices;
    writeMesh("Objects/Textured.lwo", mesh);

    // Two passes on one texture with different filters: each sets its own, the last one stays.
    render(sceneWith({{"Textured", 5.0f}},
                     "Textured 1\nSet PriName Orange PriMin Near PriMag Near SecName Cyan "
                     "SecMin Lin SecMag Near PriWrapU ClampEdge SecWrapV Mirror .\n.\n"
                     "Textured 1\nBlend Off Set SecName Orange SecMin Lin SecMag Lin .\n.\n"));
    // The second pass has orange on unit 1 and the mesh's white on unit 0.
    expectPixel(32, 32, {255, 128, 0});
    const Texture& orange = assets.textures.getByName("Orange");
    const Texture& cyan = assets.textures.getByName("Cyan");
    glBindTexture(GL_TEXTURE_2D, orange.glName.get());
    GLint magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(magFilter, GL_LINEAR);
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, cyan.glName.get());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(magFilter, GL_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
    EXPECT_EQ(wrap, 0x8370);

    // One pass: orange on unit 0 times cyan on unit 1.
    render(sceneWith({{"Textured", 5.0f}},
                     "Textured 1\nSet PriName Orange PriMin Lin SecName Cyan SecMin Lin .\n.\n"));
    expectPixel(32, 32, {128, 128, 0});
}

TEST_F(MaterialPass, FiltersTheDriverRefusesLeaveTheTextureAndNoError)
{
    writeTga("textures/Orange.tga", {255, 128, 0, 255});
    const Texture& orange = assets.textures.getByName("Orange");
    glBindTexture(GL_TEXTURE_2D, orange.glName.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    render(sceneWith({{"White", 5.0f}}, "White 1\nSet PriName Orange PriMin Lin PriMag LinDet .\n"
                                        ".\nWhite 1\nSet PriName Orange PriMin 4 PriMag 4 .\n.\n"));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // llvmpipe knows no SGIS filters.
    if (!hasGlExtension("GL_SGIS_detail_texture")) {
        glBindTexture(GL_TEXTURE_2D, orange.glName.get());
        GLint magFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        EXPECT_EQ(magFilter, GL_NEAREST);
    }
}

TEST_F(MaterialPass, VertexAndFragmentProgramsChangeThePicture)
{
    // Moves every vertex one unit right in object space: 20 pixels at this distance.
    dir.write("shd/Shift.txt", "!!ARBvp1.0\nPARAM mvp[4] = { state.matrix.mvp };\n"
                               "TEMP p;\nADD p, vertex.position, { 1, 0, 0, 0 };\n"
                               "DP4 result.position.x, mvp[0], p;\n"
                               "DP4 result.position.y, mvp[1], p;\n"
                               "DP4 result.position.z, mvp[2], p;\n"
                               "DP4 result.position.w, mvp[3], p;\n"
                               "MOV result.color, vertex.color;\nEND\n");
    // Swaps red and blue of the interpolated colour.
    dir.write("shd/Swap.txt", "!!ARBfp1.0\nMOV result.color, fragment.color.bgra;\nEND\n");
    writeMesh("Objects/Blue.lwo", shapes::colouredSquare(1.0f, {0.0f, 0.0f, 1.0f, 1.0f}));

    render(sceneWith({{"Blue", 5.0f}}, ""));
    expectPixel(16, 32, {0, 0, 255});
    expectPixel(56, 32, black);
    render(sceneWith({{"Blue", 5.0f}}, "Blue 1\nVert Shift .\n"));
    expectPixel(16, 32, black);
    expectPixel(56, 32, {0, 0, 255});
    render(sceneWith({{"Blue", 5.0f}}, "Blue 1\nPix Swap .\n"));
    expectPixel(16, 32, {255, 0, 0});
    render(sceneWith({{"Blue", 5.0f}}, "Blue 1\nVert Shift Pix Swap .\n"));
    expectPixel(56, 32, {255, 0, 0});
    // Neither program outlives its pass.
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
}

TEST_F(MaterialPass, CombinerBlocksColourObjectsAndScreenImages)
{
    // Spread over lines as authors write them; the statements reach the compiler as written.
    // The final alpha must be given: without it the alpha test drops every fragment.
    const std::string orange =
        "Frag\nconst0 = (1, 0.5, 0, 1);\n\nout.rgb = const0;\nout.a = one;\nEnd\n";
    render(sceneWith({{"White", 5.0f}}, "White 1\n" + orange + ".\n"));
    expectPixel(32, 32, {255, 128, 0});
    expectPixel(4, 4, black);
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));

    // A fragment program wins over the combiners, whichever keyword names its file; a vertex
    // program leaves them in place.
    dir.write("shd/Green.txt", "!!ARBfp1.0\nMOV result.color, { 0, 1, 0, 1 };\nEND\n");
    dir.write("shd/Plain.txt", plainVertexProgram);
    for (const char* program : {"Pix Green", "Vert Green", "Pix Plain", "Vert Plain"}) {
        SCOPED_TRACE(program);
        render(sceneWith({{"White", 5.0f}}, "White 1\n" + orange + program + " .\n"));
        const bool fragment = std::string(program).find("Green") != std::string::npos;
        expectPixel(32, 32, fragment ? Rgb{0, 255, 0} : Rgb{255, 128, 0});
    }
    // Combiners only for the pass that has them: the second pass draws in plain white.
    render(sceneWith({{"White", 5.0f}}, "White 1\n" + orange + ".\nWhite 1\nBlend Off .\n"));
    expectPixel(32, 32, white);

    // The image's texture through the combiners, on the background quad.
    writeTga("Images/blue.tga", {0, 0, 255, 255});
    Scene& image = sceneWith({},
                             "BackgroundImage\nFrag const0 = (1, 1, 0.5, 1);\n"
                             "{ rgb { spare0 = tex0 * const0; } }\nout.rgb = spare0; out.a = one; "
                             "End .\n",
                             "BGImage 0 0 0 0 \"Images/blue.tga\"\n");
    const EmulatedCombiners* emulated = image.bgPasses.at(0).combiners->emulated.get();
    const std::size_t loaded = emulated ? emulated->variantCount() : 0;
    render(image);
    expectPixel(32, 32, {0, 0, 128});
    // Every variant the pass needs was made at load: none is compiled while the demo plays.
    if (emulated) {
        EXPECT_EQ(emulated->variantCount(), loaded);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MaterialPass, EachPassDrawsTheObjectOnceMore)
{
    writeMesh("Objects/Dim.lwo", shapes::colouredSquare(1.0f, {0.25f, 0.25f, 0.25f, 1.0f}));
    const std::string add = "Dim 1\nBlend Src 1 Dst 1 Depth Func Always .\n";
    for (int passes = 1; passes <= 3; ++passes) {
        std::string materials;
        for (int i = 0; i < passes; ++i)
            materials += add;
        render(sceneWith({{"Dim", 5.0f}}, materials));
        const int level = 64 * passes;
        expectPixel(32, 32, {level, level, level});
    }
}

TEST_F(MaterialPass, BackgroundAndForegroundImagesDrawOncePerPass)
{
    writeTga("Images/blue.tga", {0, 0, 255, 255});
    writeTga("Images/grey.tga", {64, 64, 64, 255});
    const std::string images =
        "BGImage 0 0 0 0 \"Images/blue.tga\"\nFGImage 0 0 0 0 \"Images/grey.tga\"\n";
    // Two additive background passes over black, then the foreground added with its dissolve.
    render(sceneWith({},
                     "BackgroundImage\nBlend Src 1 Dst 1 .\nBackgroundImage\nBlend Src 1 Dst 1 .\n",
                     "BGImage 0 0 0 0 \"Images/grey.tga\"\n"));
    expectPixel(32, 32, {128, 128, 128});
    render(sceneWith({}, "ForegroundImage\nBlend Src SrcAlpha Dst 1 .\n",
                     images + "FGDissolve 0.5\n"));
    expectPixel(32, 32, {32, 32, 255});
    // A background pass with its texturing off draws the quad in plain white.
    render(sceneWith({}, "BackgroundImage\nSet Off .\n", images));
    expectPixel(32, 32, {64, 64, 64});
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MaterialPass, PoppingTheAttributesUndoesEverythingButTextureParameters)
{
    writeTga("textures/Orange.tga", {255, 128, 0, 255});
    const std::string materials =
        "BackgroundImage\nBlend Func Sub Src ConstColor Dst 1 ConstColor 1 1 1 1 Depth Off "
        "Cull Off Set SecName Orange SecMin Near SecMag Near . .\n"
        "ForegroundImage\nSet Off .\n";
    Scene& scene = sceneWith({}, materials);
    // Popping also restores the parameters of the textures bound at the push (the upload left
    // Orange bound), so none is.
    for (GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
        ext::glActiveTextureARB(unit);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glEnable(GL_TEXTURE_2D);
    const GLenum caps[] = {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_TEXTURE_2D};
    for (const Material* material : {&scene.bgPasses.at(0), &scene.fgPasses.at(0)}) {
        ext::glActiveTextureARB(GL_TEXTURE0_ARB);
        bool before[4];
        for (int i = 0; i < 4; ++i)
            before[i] = glIsEnabled(caps[i]);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        applyMaterial(*material);
        // A secondary stage and "Off" both leave unit 1 active.
        GLint unit = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
        EXPECT_EQ(unit, GL_TEXTURE1_ARB);
        glPopAttrib();
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
        EXPECT_EQ(unit, GL_TEXTURE0_ARB);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(glIsEnabled(caps[i]), before[i]) << caps[i];
    }
    GLint equation = 0;
    glGetIntegerv(GL_BLEND_EQUATION_EXT, &equation);
    EXPECT_EQ(equation, GL_FUNC_ADD_EXT);
    // The stage's filters stay in the shared texture.
    glBindTexture(GL_TEXTURE_2D, assets.textures.getByName("Orange").glName.get());
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_NEAREST);
}

TEST_F(MaterialPass, PassOnVertexColouredMeshLeavesNoColourBehind)
{
    dir.write("shd/Plain.txt", plainVertexProgram);
    writeMesh("Objects/Teal.lwo", shapes::colouredSquare(4.0f, {0.0f, 0.5f, 0.5f, 1.0f}));
    // White ambient light shows the colour-tracked material as it is.
    const std::string ambient = "AmbientColor 1 1 1\nAmbientIntensity 1\n";
    // A morph of amount 0 keeps the shape but draws the teal square from arrays.
    const std::string morph = "MorphAmount 0\nMorphTarget 2\nMorphSurfaces 0\n";
    const struct {
        const char* material;
        bool lit;
        bool morphing;
    } cases[] = {
        {"Vert Plain", true, false},       {"Vert Plain", true, true},
        {"Vert Plain", false, false},      {"Depth Func Always", true, false},
        {"Depth Func Always", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.material) + (c.lit ? ", lit" : ", unlit") +
                     (c.morphing ? ", morphing" : ""));
        dir.write("scenes/leak.txt", "Teal 1\n" + std::string(c.material) + " .\n");
        const std::string options = c.lit ? "" : unlit;
        // The white square has no colours of its own and is drawn after the teal one.
        render(load(
            (c.lit ? ambient : noLight) +
                lws::object("Objects/Teal.lwo", at(10.0f), (c.morphing ? morph : "") + options) +
                lws::object("Objects/White.lwo", at(5.0f), options) + lws::camera(Placement{}),
            "leak"));
        expectPixel(4, 4, {0, 128, 128});
        expectPixel(32, 32, white);
    }
}

} // namespace
