#pragma once

#include <GL/gl.h>

class CombinerMessages;
struct CombinerProgram;

// Validates a parsed program and completes it for emission: cuts the general combiners to the
// limit (the smaller of glLimit and 8), gives every stage the global constants it does not
// define, adds the portions and operations a script leaves out, and settles every register's
// channel. Every failed check adds its message and the checks go on.
void checkCombinerProgram(CombinerProgram& program, GLint glLimit, bool perStageConstants,
                          CombinerMessages& messages);
