#pragma once

#include "combiners/RcState.h"

#include <array>
#include <cstdint>
#include <string>

// What an ARB fragment program cannot learn at run time and the combiners take from the GL
// state at the draw: the texture target each unit samples and the fog factor's equation.
enum class UnitTarget : std::uint8_t { none, texture2D, rectangle, cubeMap };
enum class FogMode : std::uint8_t { off, linear, exp, exp2 };

// One program variant per key. Units the state never reads and the fog of a state that never
// reads fog alpha are left at none and off, so they do not multiply the variants.
struct CombinerVariantKey {
    std::array<UnitTarget, rcTextureUnits> units{};
    FogMode fog = FogMode::off;
    bool operator==(const CombinerVariantKey&) const = default;
};

// The parts of the draw-time state a combiner state depends on. Unit 0 also counts where
// spare0 is read, since spare0 alpha starts as texture 0's alpha.
struct CombinerReads {
    std::array<bool, rcTextureUnits> units{};
    bool fogAlpha = false;
};

CombinerReads combinerReads(const RcState& state);

// The ARB_fragment_program text that computes what the combiners compute for this state and
// key (a pure function: no GL call).
std::string translateCombiners(const RcState& state, const CombinerVariantKey& key);
