// Whole scripts, compiled by parseCombinerScript into the emulated combiners inside a display
// list as a material compiles its block, then drawn. Expected colours are worked out from the
// script by hand.
#include "EmulationFixture.h"

#include "combiners/CombinerCompiler.h"
#include "shell/GlExtensions.h"
#include "support/OffscreenGl.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <sstream>

namespace {

// A compiled script in its list, as the material's block holds it.
struct CompiledText {
    explicit CompiledText(const std::string& text)
    {
        list = glGenLists(1);
        glNewList(list, GL_COMPILE);
        std::ostringstream echo;
        parseCombinerScript(text.c_str(), &combiners.sink(), echo);
        combiners.recordBind();
        glEndList();
        errors = combinerErrors();
        combiners.finishCompile();
    }
    CompiledText(const CompiledText&) = delete;
    CompiledText& operator=(const CompiledText&) = delete;
    ~CompiledText() { glDeleteLists(list, 1); }

    EmulatedCombiners combiners;
    GLuint list = 0;
    std::vector<std::string> errors;
};

TEST(EmulatedScripts, CompiledScriptsDrawWhatTheyDescribe)
{
    resetGlState();
    // Texture 0 = (0.6, 0.2, 0.8, 0.4), col0 = (1, 0.5, 0.25, 0.75), col1 = (0.2, 0.4, 0.6).
    const Texture tex0 = solidTexture(GL_TEXTURE_2D, {153, 51, 204, 102});
    struct Case {
        const char* text;
        std::optional<Colour> expected; // none: the fragment is dropped by the alpha test
    };
    // expand(tex0) = (0.2, -0.6, 0.6), whose dot with itself is 0.04 + 0.36 + 0.36 = 0.76.
    const float dot = 0.76f;
    const Case cases[] = {
        {"!!RC1.0\nconst0 = (0.5, 0.5, 0.5, 1);\n"
         "{ rgb { spare0 = expand(tex0) . expand(tex0); } }\n"
         "out.rgb = lerp(const0, spare0, col0);\nout.a = one;\n",
         Colour{0.5f * dot + 0.5f * 1, 0.5f * dot + 0.5f * 0.5f, 0.5f * dot + 0.5f * 0.25f, 1}},
        // "spare0 = col0;" is col0 times one; out.rgb = x * y + w.
        {"!!RC1.0\n{ rgb { spare0 = col0; } }\nout.rgb = spare0 * tex0 + col1;\nout.a = tex0;\n",
         Colour{1 * 0.6f + 0.2f, 0.5f * 0.2f + 0.4f, 0.25f * 0.8f + 0.6f, 0.4f}},
        // "one" through its mappings: half_bias(one) = 0.5, unsigned_invert(one) = 0, unsigned(one)
        // = 1.
        {"!!RC1.0\n{ rgb { spare0 = -one * -one; spare1 = half_bias(one) * tex0; } }\n"
         "out.rgb = spare1 + unsigned_invert(one);\nout.a = unsigned(one);\n",
         Colour{0.5f * 0.6f, 0.5f * 0.2f, 0.5f * 0.8f, 1}},
        // Local constants and a mux over two stages; spare0.a = 0.25 selects A*B = const0.
        {"!!RC1.0\n{ const0 = (0.3, 0.6, 0.9, 0.25); alpha { spare0 = const0; } }\n"
         "{ const0 = (1, 0, 0, 1); rgb { discard = const0; discard = col0; spare0 = mux(); } }\n"
         "out.rgb = spare0;\nout.a = one;\n",
         Colour{1, 0, 0, 1}},
        // Fog is off at the screen quad: fog.a = 1 keeps col0.
        {"!!RC1.0\nout.rgb = lerp(fog.a, col0, fog);\nout.a = one;\n", Colour{1, 0.5f, 0.25f, 1}},
        // No out.a: alpha is zero.
        {"!!RC1.0\nout.rgb = tex0;\n", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CompiledText script(c.text);
        ASSERT_TRUE(script.errors.empty()) << script.errors.front();
        glClear(GL_COLOR_BUFFER_BIT);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glEnable(GL_FRAGMENT_PROGRAM_ARB);
        glCallList(script.list);
        setActiveCombiners(&script.combiners);
        bindTextureUnit(tex0, 0);
        glColor4f(1.0f, 0.5f, 0.25f, 0.75f);
        ext::glSecondaryColor3fEXT(0.2f, 0.4f, 0.6f);
        drawScreenQuad(tex0);
        glPopAttrib();
        setActiveCombiners(nullptr);
        const auto bytes = readPixelsRGBA(offscreenWidth() / 2, offscreenHeight() / 2, 1, 1);
        const std::array<int, 4> pixel = {bytes[0], bytes[1], bytes[2], bytes[3]};
        expectColour(pixel, c.expected.value_or(Colour{0, 0, 0, 0}));
    }
}

} // namespace
