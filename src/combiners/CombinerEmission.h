#pragma once

class CombinerSink;
struct CombinerProgram;

// Rewrites every read of "one" as the mapping of "zero" with the same value: GL_ONE is no
// combiner input, and a driver would refuse the call and leave the slot at its default.
void replaceOneByZero(CombinerProgram& program);

// Issues a checked program through the sink: global constants, the stage count, each stage's
// constants, inputs and outputs, the per-stage constant switch, the colour-sum clamp and the
// final inputs.
void emitCombinerProgram(const CombinerProgram& program, bool perStageConstants,
                         CombinerSink& sink);
