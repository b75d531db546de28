#include "SampleParts.h"

#include "mesh/Po2Writer.h"
#include "platform/AudioFile.h"
#include "shell/LoadError.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

std::string num(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

namespace {

// ---------------------------------------------------------------------------------------------
// Scene text, laid out as LightWave writes it.

enum Shape { TCB = 0, Hermite = 1, Bezier = 2, Linear = 3, Stepped = 4, Bezier2D = 5 };
enum Behavior {
    Reset = 0,
    Constant = 1,
    Repeat = 2,
    Oscillate = 3,
    OffsetRepeat = 4,
    LinearExtrapolate = 5
};

struct Key {
    float value;
    float time;
    Shape shape = TCB;
    std::array<float, 6> p = {};
};

std::string envelope(const std::vector<Key>& keys, Behavior pre = Constant,
                     Behavior post = Constant)
{
    std::string text = "{ Envelope\n  " + std::to_string(keys.size()) + "\n";
    for (const Key& key : keys) {
        text += "  Key " + num(key.value) + " " + num(key.time) + " " + std::to_string(key.shape);
        for (float p : key.p)
            text += " " + num(p);
        text += "\n";
    }
    return text + "  Behaviors " + std::to_string(pre) + " " + std::to_string(post) + "\n}\n";
}

std::string constant(float value)
{
    return envelope({{value, 0}});
}

// Position, heading, pitch, bank and scale: nine envelopes; unset ones are constants.
struct Motion {
    std::array<std::string, 9> channels;

    Motion(float x = 0, float y = 0, float z = 0, float h = 0, float p = 0, float b = 0)
    {
        const float values[9] = {x, y, z, h, p, b, 1, 1, 1};
        for (std::size_t i = 0; i < 9; ++i)
            channels[i] = constant(values[i]);
    }
    Motion& set(int index, const std::string& envelopeText)
    {
        channels[static_cast<std::size_t>(index)] = envelopeText;
        return *this;
    }
    std::string text() const
    {
        std::string out = "NumChannels 9\n";
        for (std::size_t i = 0; i < 9; ++i)
            out += "Channel " + std::to_string(i) + "\n" + channels[i];
        return out;
    }
};

enum Channel { X = 0, Y = 1, Z = 2, H = 3, P = 4, B = 5 };

std::string header(int framesPerSecond, int lastFrame)
{
    return "LWSC\n3\n\nFirstFrame 0\nLastFrame " + std::to_string(lastFrame) +
           "\nFrameStep 1\nPreviewFirstFrame 0\nPreviewLastFrame " + std::to_string(lastFrame) +
           "\nPreviewFrameStep 1\nCurrentFrame 0\nFramesPerSecond " +
           std::to_string(framesPerSecond) + "\n\n";
}

// Every object block ends on "ShadowOptions", the one optional part after which the block reads
// no further word, so the scene reader sees the next keyword.
std::string object(const std::string& file, const Motion& motion, const std::string& options = "")
{
    return "LoadObjectLayer 1 " + file + "\nShowObject 6 3\nObjectMotion\n" + motion.text() +
           options + "ShadowOptions 1\n\n";
}

std::string light(const std::string& name, int type, float r, float g, float b,
                  const std::string& intensity, const Motion& motion,
                  const std::string& afterType = "")
{
    return "AddLight\nLightName " + name + "\nShowLight 0 5\nLightMotion\n" + motion.text() +
           "LightColor " + num(r) + " " + num(g) + " " + num(b) + "\nLightIntensity " + intensity +
           "AffectCaustics 1\nLightType " + std::to_string(type) + "\n" + afterType +
           "ShadowType 1\n\n";
}

// The camera reader reads one word past its settings ("ApertureHeight" here) and drops it.
std::string camera(const Motion& motion, float zoom = 3.2f)
{
    return "AddCamera\nCameraName Camera\nShowCamera 1 2\nCameraMotion\n" + motion.text() +
           "ZoomFactor " + num(zoom) +
           "\nResolutionMultiplier 1.0\nFrameSize 640 480\nPixelAspect 1\nMaskPosition 0 0 640 "
           "480\n"
           "MotionBlur 0\nFieldRendering 0\nApertureHeight 0.015\nAntialiasing 0\n\n";
}

// Black over the picture, fading in over the first 1.5 s and out again over the last second
// of a 7.5 s event.
std::string fadeThroughBlack()
{
    return "FGImage 0 0 0 0 \"tex/black.tga\"\nFGDissolve (envelope)\n" +
           envelope({{0, 0, TCB}, {1, 1.5f, TCB}, {1, 6.5f, Linear}, {0, 7.5f, Linear}}) + "\n";
}

// Turns steadily: heading from 0 by a full turn every period seconds, for ever.
std::string spin(float period, float offset = 0.0f)
{
    return envelope({{offset, 0, Linear}, {offset + 2.0f * pi, period, Linear}}, Constant,
                    OffsetRepeat);
}

// A distant light shines from its mirrored position seen from the camera, so the lights below
// sit opposite the side they light: below, behind and to the other side.
std::string orbitScene()
{
    std::string text = header(30, 900) + "AmbientColor 1 1 1\nAmbientIntensity 0.25\n\n";
    // Drawn without depth test, which a convex box with culled back faces does not need: the
    // glow layer clears only the colour ("cc"), and the depth left there is the last frame's.
    text += object("objects/colourbox.lwo", Motion().set(H, spin(3.0f)).set(P, spin(5.0f)),
                   "UnseenByCamera 1\n");
    text += light("Key", 0, 1, 1, 1, "0.9\n", Motion(-10, -20, 20));
    text += camera(Motion(0, 0, -6));
    return text + "BackdropColor 0.1 0.05 0.25\n";
}

std::string cityScene()
{
    std::string text = header(30, 900) + "AmbientColor 1 1 1\nAmbientIntensity 0.15\n\n";
    text += "FogType 1\nFogMinDistance 12\nFogMaxDistance 45\nFogColor 0.55 0.62 0.78\n\n";
    text += "BGImage 0 0 0 0 \"tex/sky.tga\"\n";
    text += fadeThroughBlack();
    text += object("objects/ground.lwo", Motion());
    // The big box shows what the glow layer rendered this frame.
    text += object("objects/screenbox.lwo",
                   Motion(0, 0.6f, 0)
                       .set(H, spin(8.0f))
                       .set(Y, envelope({{0.6f, 0, Hermite, {0, 0, 0, 0, 0, 0}},
                                         {1.0f, 1.0f, Hermite, {0, 0, 0, 0, 0, 0}}},
                                        Oscillate, Oscillate)));
    text += object("objects/colourbox.lwo",
                   Motion(3.2f, 0, 2.5f, 0, 0, 0).set(H, spin(2.5f)).set(B, spin(4.0f)));
    text += object("objects/pillar.lwo", Motion(-3.5f, -1, 3));
    text += object("objects/pillar.lwo", Motion(3.5f, -1, 6));
    text += object("objects/pillar.lwo", Motion(-3.5f, -1, 9));
    text += object("objects/panel.lwo", Motion(0, 2.5f, 14));
    text += light("Sun", 0, 1, 0.92f, 0.8f, "0.8\n", Motion(-20, -40, 40));
    // The flare light circles the scene: X and Z on oscillating curves a quarter period apart.
    text += light(
        "Flare1", 1, 1, 0.7f, 0.4f, "1.0\n",
        Motion(0, 1.5f, 0)
            .set(X, envelope({{-4, 0, TCB}, {4, 2, TCB}}, Oscillate, Oscillate))
            .set(Z, envelope({{0, 0, TCB}, {4, 1, TCB}, {0, 2, TCB}, {-4, 3, TCB}, {0, 4, TCB}},
                             Repeat, Repeat)),
        "FlareIntensity 0.9\nFlareNominalDistance 4\nFlareDissolve 0\nLensFlareFade 0\n");
    text += light("Spot", 2, 0.6f, 0.8f, 1.0f, "1.5\n",
                  Motion(0, 7, 0, 0, 1.5708f).set(H, spin(6.0f)), "LightConeAngle 25\n");
    // Camera 1 sweeps from side to side while it comes forward; every key shape and most
    // behaviours take part.
    Motion sweep(0, 1.2f, -14);
    sweep.set(X,
              envelope({{-4, 0, TCB, {0.3f, 0, 0}}, {4, 4, TCB, {-0.3f, 0.2f, 0.1f}}, {-4, 8, TCB}},
                       Constant, Oscillate));
    sweep.set(Y, envelope({{1.2f, 0, Bezier2D, {-0.5f, 0, 0.5f, 1.0f}},
                           {2.5f, 3, Bezier2D, {-0.5f, 0, 0.5f, 0}},
                           {1.2f, 6, Bezier2D, {-0.5f, 0.8f, 0.5f, 0}}},
                          Constant, Repeat));
    sweep.set(Z, envelope({{-14, 0, Linear}, {-13, 1, Linear}}, Constant, LinearExtrapolate));
    sweep.set(H, envelope({{0.3f, 0, Hermite, {0, 0, 0, 0, 0, 0}},
                           {-0.3f, 4, Hermite, {0, 0, 0, -0.1f, -0.1f, 0}},
                           {0.3f, 8, Bezier, {0, 0, 0, 0.1f, 0.1f, 0}}},
                          Constant, Repeat));
    sweep.set(
        P,
        envelope({{0.05f, 0, Stepped}, {0.1f, 2, Stepped}, {0.15f, 4, Stepped}, {0.1f, 6, Stepped}},
                 Constant, Reset));
    text += camera(sweep);
    // Camera 2 looks down from high up and circles slowly.
    Motion high(0, 9, -12, 0, 0.6f);
    high.set(X, envelope({{-6, 0, TCB}, {6, 7.5f, TCB}}, Constant, Constant));
    high.set(H, envelope({{0.45f, 0, TCB}, {-0.45f, 7.5f, TCB}}, Constant, Constant));
    text += camera(high, 2.4f);
    return text + "BackdropColor 0.2 0.25 0.35\n";
}

// The city's render passes: every kind of material part at least once.
std::string cityMaterials()
{
    return "# Render passes of the city scene.\n"
           "# The sky, then a faint marble veil over it through a constant alpha.\n"
           "BackgroundImage\n"
           ".\n"
           "BackgroundImage\n"
           "Blend Src ConstAlpha Dst 1-ConstAlpha ConstAlpha 0.2\n"
           "Set PriName marble PriMin LinMipLin PriMag Lin PriWrapU Mirror PriWrapV Mirror .\n"
           ".\n"
           "# The fade through black, tinted by a constant colour.\n"
           "ForegroundImage\n"
           "Blend Src SrcAlpha Dst 1-ConstColor ConstColor 0.2 0.1 0 1\n"
           "Depth Off\n"
           ".\n"
           "# The big box once as it is, then its inside added over it: the culled side is\n"
           "# flipped and nothing is hidden or written in depth.\n"
           "screenbox 1\n"
           ".\n"
           "screenbox 1\n"
           "Blend Src 1 Dst 1\n"
           "Depth Write Off Func Always\n"
           "Cull Front\n"
           ".\n"
           "# The third pillar sheared by a vertex program.\n"
           "pillar 3\n"
           "Vert shear\n"
           ".\n"
           "# The first pillar through register combiners: where its lighting is dark, the\n"
           "# marble turns to copper.\n"
           "pillar 1\n"
           "Frag\n"
           "  const0 = (1.0, 0.55, 0.25, 1);\n"
           "  { rgb { spare0 = tex0 * const0; spare1 = tex0 * col0; } }\n"
           "  out.rgb = lerp(col0, spare1, spare0);\n"
           "  out.a = one;\n"
           "End\n"
           ".\n"
           "# The second pillar in screen-space bands from a fragment program.\n"
           "pillar 2\n"
           "Pix bands\n"
           ".\n"
           "# Marble times the sky, repeated three times over it, on two texture units.\n"
           "panel 1\n"
           "Set PriName marble PriMin LinMipLin PriMag Lin PriAtp 4 PriWrapU Repeat PriWrapV "
           "Repeat\n"
           "    SecName sky SecMin Lin SecMag Near SecWrapU Mirror SecWrapV ClampEdge SecBias 1 .\n"
           ".\n";
}

// Shears the object along x by its height; passes colour, texture and fog distance on.
const char* const shearProgram = "!!ARBvp1.0\n"
                                 "PARAM mvp[4] = { state.matrix.mvp };\n"
                                 "PARAM mv[4] = { state.matrix.modelview };\n"
                                 "PARAM shear = { 0.6, 0, 0, 0 };\n"
                                 "TEMP p, eye;\n"
                                 "MAD p, vertex.position.y, shear, vertex.position;\n"
                                 "DP4 result.position.x, mvp[0], p;\n"
                                 "DP4 result.position.y, mvp[1], p;\n"
                                 "DP4 result.position.z, mvp[2], p;\n"
                                 "DP4 result.position.w, mvp[3], p;\n"
                                 "DP4 eye.z, mv[2], p;\n"
                                 "ABS result.fogcoord.x, eye.z;\n"
                                 "MOV result.color, vertex.color;\n"
                                 "MOV result.texcoord[0], vertex.texcoord[0];\n"
                                 "END\n";

// The texture times the colour, every other band of eight rows darkened; fog as usual.
const char* const bandsProgram = "!!ARBfp1.0\n"
                                 "OPTION ARB_fog_linear;\n"
                                 "PARAM rows = { 0.0625, 0.5, 0.5, 0 };\n"
                                 "TEMP colour, band;\n"
                                 "TEX colour, fragment.texcoord[0], texture[0], 2D;\n"
                                 "MUL colour, colour, fragment.color;\n"
                                 "MUL band.x, fragment.position.y, rows.x;\n"
                                 "FRC band.x, band.x;\n"
                                 "SGE band.x, band.x, rows.y;\n"
                                 "MAD band.x, band.x, rows.z, rows.z;\n"
                                 "MUL result.color.rgb, colour, band.x;\n"
                                 "MOV result.color.a, colour.a;\n"
                                 "END\n";

std::string morphScene()
{
    std::string text = header(30, 900) + "AmbientColor 0.8 0.8 1\nAmbientIntensity 0.2\n\n";
    text += fadeThroughBlack();
    // Object 1 morphs towards object 2, which is never drawn itself.
    text += object("objects/blob.lwo", Motion(-1.8f, 0, 0).set(H, spin(7.0f)),
                   "MorphAmount (envelope)\n" +
                       envelope({{0, 0, TCB}, {1, 1.2f, TCB}}, Oscillate, Oscillate) +
                       "MorphTarget 2\nMorphSurfaces 0\n");
    text += object("objects/spikes.lwo", Motion(-1.8f, 0, 0), "ObjectDissolve 1\n");
    // The mixer weighs the stretch and the ripple on two curves of their own.
    text += object("objects/mixer.lwo", Motion(1.8f, 0, 0).set(H, spin(-9.0f)),
                   "Plugin ItemMotionHandler 1 LW_MorphMixer\n2 1\nGroup Shape 2 Morphs 0\n"
                   "Morph 0 Stretch 0\n" +
                       envelope({{0, 0, TCB}, {1, 1.5f, TCB}, {0, 3, TCB}}, Repeat, Repeat) +
                       "End\nMorph 1 Ripple 0\n" +
                       envelope({{0, 0, Linear}, {1, 2.5f, Linear}}, Oscillate, Oscillate) +
                       "End\nEndPlugin\n");
    text +=
        object("objects/colourbox.lwo", Motion(0, 2.2f, 1).set(H, spin(3.0f)).set(P, spin(4.0f)),
               "PolygonSize 1\nUnseenByRays 1\n");
    text += light("Fill", 0, 0.7f, 0.7f, 1.0f, "0.6\n", Motion(15, -30, 30));
    text += light(
        "Warm", 1, 1.0f, 0.6f, 0.3f,
        "(envelope)\n" + envelope({{0.4f, 0}, {1.2f, 1}}, Oscillate, Oscillate),
        Motion(0, 2, -3).set(X, envelope({{-3, 0, TCB}, {3, 2.5f, TCB}}, Oscillate, Oscillate)));
    text += light("Top", 2, 1, 1, 1, "1.2\n", Motion(0, 5, 0, 0, 1.5708f), "LightConeAngle 35\n");
    Motion front(0, 0.5f, -8.5f);
    front.set(H, envelope({{-0.15f, 0, TCB}, {0.15f, 3.75f, TCB}}, Constant, Oscillate));
    front.set(X, envelope({{0.9f, 0, TCB}, {-0.9f, 3.75f, TCB}}, Constant, Oscillate));
    text += camera(front);
    Motion close(0, 2.5f, -6.5f, 0, 0.35f);
    close.set(B, envelope({{-0.1f, 0, Hermite, {0, 0, 0, 0, 0, 0}},
                           {0.1f, 3, Hermite, {0, 0, 0, 0, 0, 0}}},
                          Oscillate, Oscillate));
    text += camera(close, 2.6f);
    return text + "BackdropColor 0.12 0.04 0.16\n";
}

// Glowing squares drawn additively, without depth test or lighting, over whatever is there.
std::string sparksScene()
{
    std::string text = header(30, 900) + "AmbientColor 1 1 1\nAmbientIntensity 0\n\n";
    for (int i = 0; i < 6; ++i) {
        const float phase = static_cast<float>(i) * 1.047f;
        Motion m(0, 0, 0);
        m.set(X, envelope({{-3.0f + static_cast<float>(i) * 1.2f, 0, Linear},
                           {static_cast<float>(i) * 0.3f, 3, Linear}},
                          Constant, Oscillate));
        m.set(Y, envelope({{std::sin(phase) * 1.5f, 0, TCB}, {-std::sin(phase) * 1.5f, 1.5f, TCB}},
                          Oscillate, Oscillate));
        m.set(B, spin(2.0f + static_cast<float>(i) * 0.4f));
        text +=
            object("objects/spark.lwo", m, "UnaffectedByFog 1\nUnseenByRays 1\nUnseenByCamera 1\n");
    }
    text += camera(Motion(0, 0, -6));
    return text;
}

} // namespace

void writeScenes(const std::filesystem::path& root)
{
    writeFile(root / "scn" / "orbit.lws", orbitScene());
    writeFile(root / "scn" / "city.lws", cityScene());
    writeFile(root / "scn" / "city.txt", cityMaterials());
    writeFile(root / "shd" / "shear.txt", shearProgram);
    writeFile(root / "shd" / "bands.txt", bandsProgram);
    writeFile(root / "scn" / "morph.lws", morphScene());
    writeFile(root / "scn" / "sparks.lws", sparksScene());
}

std::string tinyScene()
{
    std::string scene = header(30, 300) + "AmbientColor 1 1 1\nAmbientIntensity 0.3\n\n";
    scene += object("objects/colourbox.lwo", Motion().set(H, spin(2.0f)));
    scene += object("objects/screenbox.lwo", Motion(0, 0, 3).set(P, spin(3.0f)));
    scene += light("Key", 0, 1, 1, 1, "0.8\n", Motion(-10, -20, 20));
    scene += camera(Motion(0, 0, -4));
    return scene + "BackdropColor 0.1 0.1 0.3\n";
}
