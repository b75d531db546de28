#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <memory>

class CombinerSink;

// Register combiners on drivers without GL_NV_register_combiners: the compiled script is kept
// as a software copy of the combiner state, and drawn through ARB fragment programs generated
// from it, one variant per texture-target and fog set-up met at draw time. Owns its programs.
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
    // where fog alpha is read) into the default program, and where fog alpha is read the same
    // with fog off. Throws LoadError when the driver refuses the generated text.
    void finishCompile();
    // Right before a draw: picks the variant for the units' enabled texture targets and the fog
    // state, loading it on first use, and binds it. Must not run while a list is compiling.
    void beforeDraw();
    // Programs made so far: the default one after finishCompile, plus one per other key met.
    std::size_t variantCount() const;

private:
    struct State;
    std::unique_ptr<State> state;
};

// The emulated combiners of the pass being drawn, or null. applyMaterial sets it (null when the
// pass has a pixel program, which wins over combiners); pass loops clear it after glPopAttrib.
void setActiveCombiners(EmulatedCombiners* combiners);
// Calls beforeDraw on the active emulated combiners, if any; every pass draw calls it first.
void prepareActiveCombiners();
