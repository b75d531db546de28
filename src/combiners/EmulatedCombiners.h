#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <memory>

class CombinerSink;

// Register combiners on drivers without GL_NV_register_combiners: the compiled script is kept
// as a software copy of the combiner state, and drawn through ARB fragment programs generated
// from it, one variant per texture-target and fog set-up, made when the script is compiled.
// Owns its programs.
class EmulatedCombiners {
public:
    EmulatedCombiners(); // makes the default program name (glGenProgramsARB runs even in a list)
    EmulatedCombiners(const EmulatedCombiners&) = delete;
    EmulatedCombiners& operator=(const EmulatedCombiners&) = delete;
    ~EmulatedCombiners(); // deletes every variant's program

    // Where parseCombinerScript emits; makes no GL call.
    CombinerSink& sink();
    // Records glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, default program) into the open list.
    void recordBind() const;
    // After glEndList: generates and loads the predicted variant (every read unit 2D, linear fog
    // where fog alpha is read) into the default program, then every other variant a pass of the
    // player can meet (each read unit of 0 and 1 on any target or none, fog linear or off), so
    // nothing is compiled while the demo plays. Throws LoadError when the driver refuses a
    // generated text.
    void finishCompile();
    // Right before a draw: binds the variant for the units' enabled texture targets and the fog
    // state. A state no pass of the player sets up (units 2 and 3 enabled, exponential fog)
    // loads its variant here; never while a list is compiling, where it would only be recorded.
    void beforeDraw() const;
    // Programs made so far: the default one and the player's after finishCompile, plus one per
    // other key met at a draw.
    std::size_t variantCount() const;

private:
    struct State;
    std::unique_ptr<State> state;
};
