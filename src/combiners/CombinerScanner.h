#pragma once

#include "combiners/CombinerProgram.h"

#include <cstdint>
#include <iosfwd>

class CombinerMessages;

enum class CombinerTokenKind : std::uint8_t {
    end,
    reg,
    number,
    rgb,
    alpha,
    expand,
    halfBias,
    unsignedIdentity,
    unsignedInvert,
    mux,
    sum,
    lerp,
    outRgb,
    outA,
    clampColorSum,
    scaleBias,
    leftBrace,
    rightBrace,
    leftParen,
    rightParen,
    semicolon,
    comma,
    dot,
    star,
    minus,
    plus,
    equals,
};

struct CombinerToken {
    CombinerTokenKind kind = CombinerTokenKind::end;
    CombinerRegister reg;   // for reg
    float number = 0.0f;    // for number
    GLenum scale = GL_NONE; // for scaleBias
    GLenum bias = GL_NONE;  // for scaleBias
};

// The word scripts name a register by ("spare0" for GL_SPARE0_NV), or null for no register.
const char* combinerRegisterWord(GLenum name);

// Splits a script into tokens, longest match first (a fixed word beats a run of letters of the
// same length). Comments, blanks, newlines and "!!RC1.0" are skipped; an unknown run of letters
// is reported with its line and skipped; any other unknown character is copied to echo.
class CombinerScanner {
public:
    CombinerScanner(const char* text, std::ostream& echo, CombinerMessages& messages);

    CombinerToken next();
    int line() const;

private:
    void skipBlockComment();

    const char* cursor;
    std::ostream& echo;
    CombinerMessages& messages;
    int lineNumber = 1;
};
