// Register combiners emulated on ARB fragment programs: the translation of scripts of 1, 2 and
// 8 general stages with the generated program's size as counters, and the cost of a full-screen
// quad drawn through an emulated two-stage script next to the same quad drawn through a
// hand-written program doing the same arithmetic, in alternating rounds.
#include "Interleaved.h"
#include "combiners/CombinerCompiler.h"
#include "combiners/CombinerTranslator.h"
#include "combiners/EmulatedCombiners.h"
#include "combiners/FragmentProgramLoad.h"
#include "combiners/RcStateSink.h"
#include "image/TextureCache.h"
#include "render/MaterialPass.h"
#include "scene/Material.h"
#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int side = 512;
constexpr int textureSide = 256;
constexpr int quadsPerFrame = 10;
constexpr int rounds = 40;
constexpr int translations = 1000;

// Each stage: a dot product of two expanded vectors, a product with a second texture, scaled,
// and an alpha product; the final combiner adds the secondary colour.
std::string scriptText(int stages)
{
    std::string text = "!!RC1.0\nconst0 = (0.5, 0.25, 0.75, 1);\n";
    for (int i = 0; i < stages; ++i)
        text += "{ rgb { spare0 = expand(tex0) . expand(col0); spare1 = spare0 * tex1; "
                "scale_by_two(); } alpha { spare0 = tex0 * const0; } }\n";
    return text + "out.rgb = lerp(spare0, spare1, col0) + col1;\nout.a = spare0;\n";
}

// The frame script and its hand-written counterpart. max(0, clamp(dot, -1, 1) * tex1) in the
// final combiner equals clamp(dot, 0, 1) * tex1, which is what DP3_SAT and MUL give.
const char* const frameScript = "!!RC1.0\n"
                                "{ rgb { spare0 = expand(tex0) . expand(col0); } }\n"
                                "{ rgb { spare0 = spare0 * tex1; } }\n"
                                "out.rgb = spare0 * col0 + col1;\nout.a = tex0;\n";
const char* const handWritten = "!!ARBfp1.0\n"
                                "PARAM two = {2.0, 2.0, 2.0, 2.0};\n"
                                "PARAM one = {1.0, 1.0, 1.0, 1.0};\n"
                                "TEMP t0, t1, n, l, s;\n"
                                "TEX t0, fragment.texcoord[0], texture[0], 2D;\n"
                                "TEX t1, fragment.texcoord[1], texture[1], 2D;\n"
                                "MAD n.xyz, t0, two, -one;\n"
                                "MAD l.xyz, fragment.color.primary, two, -one;\n"
                                "DP3_SAT s.x, n, l;\n"
                                "MUL s.xyz, s.x, t1;\n"
                                "MAD_SAT result.color.xyz, s, fragment.color.primary, "
                                "fragment.color.secondary;\n"
                                "MOV result.color.w, t0.w;\n"
                                "END\n";

RcState compiledState(const std::string& text)
{
    RcState state;
    RcStateSink sink(state);
    std::ostringstream echo;
    parseCombinerScript(text.c_str(), &sink, echo);
    return state;
}

CombinerVariantKey textured2D(const RcState& state)
{
    const CombinerReads reads = combinerReads(state);
    CombinerVariantKey key;
    for (std::size_t unit = 0; unit < reads.units.size(); ++unit)
        if (reads.units[unit])
            key.units[unit] = UnitTarget::texture2D;
    key.fog = reads.fogAlpha ? FogMode::linear : FogMode::off;
    return key;
}

GLint programValue(GLenum pname)
{
    GLint value = 0;
    ext::glGetProgramivARB(GL_FRAGMENT_PROGRAM_ARB, pname, &value);
    return value;
}

void BM_TranslateScript(benchmark::State& state)
{
    ensureOffscreenGl(side, side);
    resetGlState();
    const RcState rc = compiledState(scriptText(static_cast<int>(state.range(0))));
    const CombinerVariantKey key = textured2D(rc);
    std::string text;
    for (auto _ : state) {
        text = translateCombiners(rc, key);
        benchmark::DoNotOptimize(text.data());
    }
    GLuint program = 0;
    ext::glGenProgramsARB(1, &program);
    const std::string failure = loadFragmentProgram(program, text);
    if (!failure.empty())
        state.SkipWithError(failure.c_str());
    state.counters["instructions"] = programValue(GL_PROGRAM_INSTRUCTIONS_ARB);
    state.counters["native_instructions"] = programValue(GL_PROGRAM_NATIVE_INSTRUCTIONS_ARB);
    state.counters["temporaries"] = programValue(GL_PROGRAM_TEMPORARIES_ARB);
    state.counters["parameters"] = programValue(GL_PROGRAM_PARAMETERS_ARB);
    // The program's size goes with the summary as well: a translator change that bloats it
    // shows there before it shows in a frame time.
    const std::string name = "combiner_program_" + std::to_string(state.range(0)) + "_stages";
    recordFigure(name, state.counters["instructions"], "instructions");
    recordFigure(name, state.counters["temporaries"], "temporaries");
    ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, 0);
    ext::glDeleteProgramsARB(1, &program);
}
// A fixed count runs each once, so each size is recorded once.
BENCHMARK(BM_TranslateScript)
    ->Arg(1)
    ->Arg(2)
    ->Arg(8)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(translations);

Texture noiseTexture(std::uint32_t seed)
{
    Texture texture("noise");
    texture.width = textureSide;
    texture.height = textureSide;
    texture.components = 4;
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(textureSide) * textureSide * 4);
    for (std::uint8_t& texel : texels) {
        seed = seed * 1103515245u + 12345u;
        texel = static_cast<std::uint8_t>(seed >> 24);
    }
    texture.glName = newTexture();
    glBindTexture(GL_TEXTURE_2D, texture.glName.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textureSide, textureSide, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    return texture;
}

// Both programs, their textures and the emulated script's list, on one context.
struct FrameScene {
    FrameScene()
    {
        ensureOffscreenGl(side, side);
        resetGlState();
        tex0 = std::make_unique<Texture>(noiseTexture(1));
        tex1 = std::make_unique<Texture>(noiseTexture(2));
        material.combiners.emplace(newDisplayList(), std::make_unique<EmulatedCombiners>());
        EmulatedCombiners& combiners = *material.combiners->emulated;
        glNewList(material.combiners->list.get(), GL_COMPILE);
        std::ostringstream echo;
        parseCombinerScript(frameScript, &combiners.sink(), echo);
        combiners.recordBind();
        glEndList();
        combiners.finishCompile();
        loadFragmentProgram(hand.get(), handWritten);
        ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, 0);
    }

    void bindAndColour() const
    {
        bindTextureUnit(*tex1, 1);
        bindTextureUnit(*tex0, 0);
        glColor4f(0.9f, 0.6f, 0.3f, 1.0f);
        ext::glSecondaryColor3fEXT(0.1f, 0.2f, 0.3f);
    }

    // One material pass per quad, as the player draws a screen image's passes.
    void drawEmulated()
    {
        for (int i = 0; i < quadsPerFrame; ++i)
            drawMaterialPass(
                material,
                [this] {
                    bindAndColour();
                    setScreenQuadState();
                },
                [this] { drawScreenQuad(*tex0); });
        glFinish();
    }

    void drawHandWritten() const
    {
        for (int i = 0; i < quadsPerFrame; ++i) {
            glPushAttrib(GL_ALL_ATTRIB_BITS);
            glEnable(GL_FRAGMENT_PROGRAM_ARB);
            ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, hand.get());
            bindAndColour();
            setScreenQuadState();
            drawScreenQuad(*tex0);
            glPopAttrib();
        }
        glFinish();
    }

    std::unique_ptr<Texture> tex0;
    std::unique_ptr<Texture> tex1;
    Material material;
    GlHandle hand = newProgram();
};

FrameScene& frameScene()
{
    static FrameScene scene;
    return scene;
}

void BM_FrameEmulatedVsHandWritten(benchmark::State& state)
{
    FrameScene& scene = frameScene();
    const auto player = [&scene] { scene.drawEmulated(); };
    const auto baseline = [&scene] { scene.drawHandWritten(); };
    runInterleaved(state, "combiner_emulation_vs_handwritten", {player, baseline});
}
BENCHMARK(BM_FrameEmulatedVsHandWritten)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(rounds);

} // namespace

int main(int argc, char** argv)
{
    return interleavedMain(argc, argv);
}
