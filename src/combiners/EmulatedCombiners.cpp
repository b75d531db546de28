#include "combiners/EmulatedCombiners.h"

#include "combiners/CombinerTranslator.h"
#include "combiners/FragmentProgramLoad.h"
#include "combiners/RcStateSink.h"
#include "shell/GlExtensions.h"
#include "shell/GlHandle.h"
#include "shell/LoadError.h"

#include <algorithm>
#include <cassert>
#include <iostream>
#include <iterator>
#include <vector>

namespace {

EmulatedCombiners* activeCombiners = nullptr;

// The target a unit samples under conventional texturing: cube map before rectangle before 2D.
UnitTarget enabledTarget(bool rectangles)
{
    if (glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB))
        return UnitTarget::cubeMap;
    if (rectangles && glIsEnabled(GL_TEXTURE_RECTANGLE_NV))
        return UnitTarget::rectangle;
    if (glIsEnabled(GL_TEXTURE_2D))
        return UnitTarget::texture2D;
    return UnitTarget::none;
}

FogMode fogModeOf(GLint mode)
{
    if (mode == GL_LINEAR)
        return FogMode::linear;
    if (mode == GL_EXP2)
        return FogMode::exp2;
    return FogMode::exp;
}

// The key as the GL state stands right now, for the units and the fog the script reads.
CombinerVariantKey drawTimeKey(const CombinerReads& reads)
{
    CombinerVariantKey key;
    if (std::any_of(reads.units.begin(), reads.units.end(), [](bool read) { return read; })) {
        GLint active = GL_TEXTURE0_ARB;
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
        // 0x85B3, the fallback when no rectangle extension exists, is not a queryable enable.
        const bool rectangles = rectTextureTarget == GL_TEXTURE_RECTANGLE_NV;
        for (std::size_t unit = 0; unit < reads.units.size(); ++unit) {
            if (!reads.units[unit])
                continue;
            ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
            key.units[unit] = enabledTarget(rectangles);
        }
        ext::glActiveTextureARB(static_cast<GLenum>(active));
    }
    if (reads.fogAlpha && glIsEnabled(GL_FOG)) {
        GLint mode = GL_EXP;
        glGetIntegerv(GL_FOG_MODE, &mode);
        key.fog = fogModeOf(mode);
    }
    return key;
}

// What a pass will most likely meet: 2D textures, and the player's linear fog.
CombinerVariantKey predictedKey(const CombinerReads& reads)
{
    CombinerVariantKey key;
    for (std::size_t unit = 0; unit < reads.units.size(); ++unit)
        if (reads.units[unit])
            key.units[unit] = UnitTarget::texture2D;
    if (reads.fogAlpha)
        key.fog = FogMode::linear;
    return key;
}

bool isCompilingList()
{
    GLint list = 0;
    glGetIntegerv(GL_LIST_INDEX, &list);
    return list != 0;
}

} // namespace

struct EmulatedCombiners::State {
    struct Variant {
        CombinerVariantKey key;
        GLuint program = 0;
        GlHandle owned; // empty where program is the default one
    };

    RcState rc;
    RcStateSink sink{rc};
    // Lives as long as the lists that bind it; declared first, so the variants go before it.
    GlHandle defaultProgram;
    CombinerReads reads;
    std::vector<Variant> variants; // the default program's variant first, once compiled
    bool failureReported = false;
};

EmulatedCombiners::EmulatedCombiners() : state(std::make_unique<State>())
{
    assert(ext::glGenProgramsARB != nullptr && "emulated combiners need ARB_fragment_program");
    state->defaultProgram = newProgram();
}

EmulatedCombiners::~EmulatedCombiners()
{
    if (activeCombiners == this)
        activeCombiners = nullptr;
}

CombinerSink& EmulatedCombiners::sink()
{
    return state->sink;
}

void EmulatedCombiners::recordBind() const
{
    ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, state->defaultProgram.get());
}

void EmulatedCombiners::finishCompile()
{
    assert(!isCompilingList() && "a program text loaded inside a display list is only recorded");
    state->variants.clear();
    state->reads = combinerReads(state->rc);
    // A unit the driver does not have reads as no texture, and is never queried.
    GLint units = rcTextureUnits;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    for (std::size_t unit = static_cast<std::size_t>(std::max(units, 1));
         unit < state->reads.units.size(); ++unit)
        state->reads.units[unit] = false;
    const CombinerVariantKey key = predictedKey(state->reads);
    GLint previous = 0;
    if (ext::glGetProgramivARB != nullptr)
        ext::glGetProgramivARB(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_BINDING_ARB, &previous);
    std::string failure =
        loadFragmentProgram(state->defaultProgram.get(), translateCombiners(state->rc, key));
    if (failure.empty())
        state->variants.push_back({key, state->defaultProgram.get(), {}});
    // Screen-image passes draw with fog off, so a script reading fog alpha gets that variant
    // now too rather than during the demo.
    if (failure.empty() && state->reads.fogAlpha) {
        CombinerVariantKey unfogged = key;
        unfogged.fog = FogMode::off;
        GlHandle program = newProgram();
        const GLuint name = program.get();
        state->variants.push_back({unfogged, name, std::move(program)});
        failure = loadFragmentProgram(name, translateCombiners(state->rc, unfogged));
    }
    ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, static_cast<GLuint>(previous));
    if (!failure.empty())
        throw LoadError("Register combiners: the generated " + failure);
}

void EmulatedCombiners::beforeDraw()
{
    if (!state || state->variants.empty() || isCompilingList())
        return;
    const CombinerVariantKey key = drawTimeKey(state->reads);
    auto found = std::find_if(state->variants.begin(), state->variants.end(),
                              [&key](const State::Variant& variant) { return variant.key == key; });
    if (found == state->variants.end()) {
        GlHandle program = newProgram();
        const std::string failure =
            loadFragmentProgram(program.get(), translateCombiners(state->rc, key));
        if (!failure.empty()) {
            // Nothing can be loaded at this point of the demo: keep drawing with the default
            // variant, which only samples other targets.
            program.reset();
            if (!state->failureReported)
                std::cerr << "Register combiners: the generated " << failure << '\n';
            state->failureReported = true;
        }
        const GLuint name = program ? program.get() : state->defaultProgram.get();
        state->variants.push_back({key, name, std::move(program)});
        found = std::prev(state->variants.end());
    }
    ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, found->program);
}

std::size_t EmulatedCombiners::variantCount() const
{
    return state ? state->variants.size() : 0;
}

void setActiveCombiners(EmulatedCombiners* combiners)
{
    activeCombiners = combiners;
}

void prepareActiveCombiners()
{
    if (activeCombiners != nullptr)
        activeCombiners->beforeDraw();
}
