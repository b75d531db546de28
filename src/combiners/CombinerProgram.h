#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// A compiled register-combiner script, as the parser builds it and the checks complete it.

// Which components of a register a word names: its suffix, or none for a bare word (the
// checks then give it the channel of the portion or final input it stands in).
enum class CombinerChannel : std::uint8_t { rgb = 0, alpha = 1, blue = 2, none = 3 };

struct CombinerRegister {
    GLenum name = GL_ZERO; // the GL register enumerant
    CombinerChannel channel = CombinerChannel::none;
    bool readOnly = false;
    bool finalOnly = false; // readable in the final combiner only
};

// A register read through an input mapping (GL_SIGNED_IDENTITY_NV and the rest).
struct CombinerInput {
    CombinerRegister reg;
    GLenum mapping = GL_SIGNED_IDENTITY_NV;
};

enum class CombinerOperationType : std::uint8_t { product = 0, dot = 1, mux = 2, sum = 3 };

struct CombinerOperation {
    CombinerOperationType type = CombinerOperationType::product;
    CombinerRegister output;
    std::array<CombinerInput, 2> inputs{}; // products and dot products only
};

struct CombinerPortion {
    GLenum designator = GL_RGB;                // GL_RGB or GL_ALPHA
    std::vector<CombinerOperation> operations; // at most 3; the checks fill in missing ones
    GLenum scale = GL_NONE;
    GLenum bias = GL_NONE;
};

struct CombinerConstant {
    GLenum name = GL_CONSTANT_COLOR0_NV; // or GL_CONSTANT_COLOR1_NV
    std::array<float, 4> value{};
};

struct GeneralCombiner {
    std::vector<CombinerConstant> localConstants;
    // Global constants this stage does not define itself, given to it so that per-stage
    // constants, once enabled, still show the globals in every stage.
    std::vector<CombinerConstant> receivedConstants;
    std::vector<CombinerPortion> portions; // in script order
};

enum FinalVariable : std::size_t { finalA, finalB, finalC, finalD, finalE, finalF, finalG };
constexpr std::size_t finalVariableCount = 7;

struct FinalCombiner {
    bool clampColorSum = false;
    bool hasFinalProduct = false;
    std::array<CombinerInput, finalVariableCount> inputs; // A to G
    FinalCombiner();
};

// The program holds at most this many general combiners, whatever the GL limit: the most
// GL_NV_register_combiners offers, and so also what the sinks and the emulation allow.
constexpr std::size_t maxGeneralCombinerCount = 8;
constexpr std::size_t maxGlobalConstants = 2;
constexpr std::size_t maxLocalConstants = 2;
constexpr std::size_t maxPortionOperations = 3;

struct CombinerProgram {
    std::vector<CombinerConstant> globalConstants;
    std::vector<GeneralCombiner> generalCombiners;
    FinalCombiner finalCombiner;
};

// The register of the word "zero", bare.
inline CombinerRegister zeroRegister()
{
    return CombinerRegister{GL_ZERO, CombinerChannel::none, true, false};
}

inline FinalCombiner::FinalCombiner()
{
    inputs.fill(CombinerInput{zeroRegister(), GL_UNSIGNED_IDENTITY_NV});
}
