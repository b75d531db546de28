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
#include <vector>

namespace {

// Units the player binds textures on: materials' primary and secondary stages, and meshes.
constexpr std::size_t playerUnits = 2;

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

// Every key a pass of the player can meet, so that all of them are loaded before the demo plays:
// on each read unit the player binds, any target (rectangles only where the driver has them)
// or none; on the units it never enables, none; fog linear for objects and off for screen
// images where fog alpha is read.
std::vector<CombinerVariantKey> playerKeys(const CombinerReads& reads, bool rectangles)
{
    std::vector<UnitTarget> targets = {UnitTarget::none, UnitTarget::texture2D,
                                       UnitTarget::cubeMap};
    if (rectangles)
        targets.push_back(UnitTarget::rectangle);
    std::vector<CombinerVariantKey> keys(1);
    for (std::size_t unit = 0; unit < playerUnits; ++unit) {
        if (!reads.units[unit])
            continue;
        std::vector<CombinerVariantKey> spread;
        for (const CombinerVariantKey& key : keys)
            for (UnitTarget target : targets) {
                spread.push_back(key);
                spread.back().units[unit] = target;
            }
        keys = std::move(spread);
    }
    if (reads.fogAlpha) {
        const std::size_t unfogged = keys.size();
        for (std::size_t i = 0; i < unfogged; ++i) {
            keys.push_back(keys[i]);
            keys.back().fog = FogMode::linear;
        }
    }
    return keys;
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

    Variant* find(const CombinerVariantKey& key)
    {
        auto found = std::find_if(variants.begin(), variants.end(),
                                  [&key](const Variant& variant) { return variant.key == key; });
        return found == variants.end() ? nullptr : &*found;
    }

    // A new program for the key, kept as a variant when the driver takes it; else the failure.
    std::string add(const CombinerVariantKey& key)
    {
        GlHandle program = newProgram();
        std::string failure = loadFragmentProgram(program.get(), translateCombiners(rc, key));
        if (failure.empty())
            variants.push_back({key, program.get(), std::move(program)});
        return failure;
    }
};

EmulatedCombiners::EmulatedCombiners() : state(std::make_unique<State>())
{
    assert(ext::glGenProgramsARB != nullptr && "emulated combiners need ARB_fragment_program");
    state->defaultProgram = newProgram();
}

EmulatedCombiners::~EmulatedCombiners() = default;

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
    const bool rectangles = rectTextureTarget == GL_TEXTURE_RECTANGLE_NV;
    for (const CombinerVariantKey& other : playerKeys(state->reads, rectangles)) {
        if (!failure.empty())
            break;
        if (!state->find(other))
            failure = state->add(other);
    }
    ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, static_cast<GLuint>(previous));
    if (!failure.empty())
        throw LoadError("Register combiners: the generated " + failure);
}

void EmulatedCombiners::beforeDraw() const
{
    if (state->variants.empty() || isCompilingList())
        return;
    const CombinerVariantKey key = drawTimeKey(state->reads);
    State::Variant* found = state->find(key);
    // Only a state the player never sets up (units 2 and 3 enabled, exponential fog) gets here.
    if (!found) {
        const std::string failure = state->add(key);
        if (!failure.empty()) {
            // Nothing can be loaded at this point of the demo: keep drawing with the default
            // variant, which only samples other targets.
            if (!state->failureReported)
                std::cerr << "Register combiners: the generated " << failure << '\n';
            state->failureReported = true;
            state->variants.push_back({key, state->defaultProgram.get(), {}});
        }
        found = &state->variants.back();
    }
    ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, found->program);
}

std::size_t EmulatedCombiners::variantCount() const
{
    return state->variants.size();
}
