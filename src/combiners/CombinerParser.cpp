#include "combiners/CombinerParser.h"

#include "combiners/CombinerMessages.h"
#include "combiners/CombinerScanner.h"

#include <utility>

namespace {

using Kind = CombinerTokenKind;

class Parser {
public:
    Parser(CombinerScanner& scanner, CombinerMessages& messages)
        : scanner(scanner), messages(messages), token(scanner.next())
    {
    }

    bool script(CombinerProgram& program);

private:
    void advance() { token = scanner.next(); }
    bool at(Kind kind) const { return token.kind == kind; }
    bool expect(Kind kind)
    {
        if (!at(kind))
            return false;
        advance();
        return true;
    }
    bool atRegister(GLenum name) const
    {
        return at(Kind::reg) && token.reg.name == name &&
               token.reg.channel == CombinerChannel::none;
    }
    bool atConstantDefinition() const
    {
        return atRegister(GL_CONSTANT_COLOR0_NV) || atRegister(GL_CONSTANT_COLOR1_NV);
    }

    bool registerWord(CombinerRegister& reg);
    bool constant(std::vector<CombinerConstant>& constants);
    bool generalCombiner(GeneralCombiner& combiner);
    bool portion(CombinerPortion& portion);
    bool statement(CombinerOperation& operation, bool third);
    bool generalInput(CombinerInput& input);
    bool finalInput(CombinerInput& input);
    bool finalCombiner(FinalCombiner& combiner);
    bool rgbOutput(FinalCombiner& combiner);
    bool lerpArguments(FinalCombiner& combiner);

    CombinerScanner& scanner;
    CombinerMessages& messages;
    CombinerToken token;
};

bool Parser::registerWord(CombinerRegister& reg)
{
    if (!at(Kind::reg))
        return false;
    reg = token.reg;
    advance();
    return true;
}

// const0 = ( r , g , b , a ) ;
bool Parser::constant(std::vector<CombinerConstant>& constants)
{
    if (!atConstantDefinition())
        return false;
    CombinerConstant definition;
    definition.name = token.reg.name;
    advance();
    if (!expect(Kind::equals) || !expect(Kind::leftParen))
        return false;
    for (std::size_t i = 0; i < definition.value.size(); ++i) {
        if (i > 0 && !expect(Kind::comma))
            return false;
        if (!at(Kind::number))
            return false;
        definition.value[i] = token.number;
        advance();
    }
    if (!expect(Kind::rightParen) || !expect(Kind::semicolon))
        return false;
    constants.push_back(definition);
    return true;
}

// { [constant [constant]] portion [portion] }
bool Parser::generalCombiner(GeneralCombiner& combiner)
{
    if (!expect(Kind::leftBrace))
        return false;
    while (combiner.localConstants.size() < maxLocalConstants && atConstantDefinition())
        if (!constant(combiner.localConstants))
            return false;
    combiner.portions.emplace_back();
    if (!portion(combiner.portions.back()))
        return false;
    if (at(Kind::rgb) || at(Kind::alpha)) {
        combiner.portions.emplace_back();
        if (!portion(combiner.portions.back()))
            return false;
    }
    return expect(Kind::rightBrace);
}

// rgb|alpha { function [scale_or_bias ( ) ;] }, where the function is one or two dots or
// products, and a mux or sum may follow two products.
bool Parser::portion(CombinerPortion& result)
{
    if (!(at(Kind::rgb) || at(Kind::alpha)))
        return false;
    result.designator = at(Kind::rgb) ? GL_RGB : GL_ALPHA;
    advance();
    if (!expect(Kind::leftBrace))
        return false;
    auto& operations = result.operations;
    do {
        const bool third = operations.size() == 2;
        if (third && (operations[0].type != CombinerOperationType::product ||
                      operations[1].type != CombinerOperationType::product))
            return false;
        operations.emplace_back();
        if (!statement(operations.back(), third))
            return false;
    } while (at(Kind::reg) && operations.size() < maxPortionOperations);
    if (at(Kind::scaleBias)) {
        result.scale = token.scale;
        result.bias = token.bias;
        advance();
        if (!expect(Kind::leftParen) || !expect(Kind::rightParen) || !expect(Kind::semicolon))
            return false;
    }
    return expect(Kind::rightBrace);
}

// reg = input . input ;  reg = input * input ;  reg = input ;  and, third only,
// reg = mux ( ) ;  reg = sum ( ) ;
bool Parser::statement(CombinerOperation& operation, bool third)
{
    if (!registerWord(operation.output) || !expect(Kind::equals))
        return false;
    if (third) {
        if (!at(Kind::mux) && !at(Kind::sum))
            return false;
        operation.type = at(Kind::mux) ? CombinerOperationType::mux : CombinerOperationType::sum;
        advance();
        return expect(Kind::leftParen) && expect(Kind::rightParen) && expect(Kind::semicolon);
    }
    if (!generalInput(operation.inputs[0]))
        return false;
    if (at(Kind::dot) || at(Kind::star)) {
        operation.type =
            at(Kind::dot) ? CombinerOperationType::dot : CombinerOperationType::product;
        advance();
        if (!generalInput(operation.inputs[1]))
            return false;
    } else {
        // A lone input is multiplied by one, written as the inverted zero.
        operation.type = CombinerOperationType::product;
        operation.inputs[1] = {zeroRegister(), GL_UNSIGNED_INVERT_NV};
    }
    return expect(Kind::semicolon);
}

// reg, -reg, expand(reg), -expand(reg), half_bias(reg), -half_bias(reg), unsigned(reg),
// unsigned_invert(reg)
bool Parser::generalInput(CombinerInput& input)
{
    const bool negate = at(Kind::minus);
    if (negate)
        advance();
    if (at(Kind::reg)) {
        input.mapping = negate ? GL_SIGNED_NEGATE_NV : GL_SIGNED_IDENTITY_NV;
        return registerWord(input.reg);
    }
    if (at(Kind::expand))
        input.mapping = negate ? GL_EXPAND_NEGATE_NV : GL_EXPAND_NORMAL_NV;
    else if (at(Kind::halfBias))
        input.mapping = negate ? GL_HALF_BIAS_NEGATE_NV : GL_HALF_BIAS_NORMAL_NV;
    else if (!negate && at(Kind::unsignedIdentity))
        input.mapping = GL_UNSIGNED_IDENTITY_NV;
    else if (!negate && at(Kind::unsignedInvert))
        input.mapping = GL_UNSIGNED_INVERT_NV;
    else
        return false;
    advance();
    return expect(Kind::leftParen) && registerWord(input.reg) && expect(Kind::rightParen);
}

// reg, unsigned(reg), unsigned_invert(reg)
bool Parser::finalInput(CombinerInput& input)
{
    input.mapping = GL_UNSIGNED_IDENTITY_NV;
    if (at(Kind::reg))
        return registerWord(input.reg);
    if (at(Kind::unsignedInvert))
        input.mapping = GL_UNSIGNED_INVERT_NV;
    else if (!at(Kind::unsignedIdentity))
        return false;
    advance();
    return expect(Kind::leftParen) && registerWord(input.reg) && expect(Kind::rightParen);
}

// lerp ( x , y , z ) into A, B and C.
bool Parser::lerpArguments(FinalCombiner& combiner)
{
    if (!expect(Kind::lerp) || !expect(Kind::leftParen))
        return false;
    auto& in = combiner.inputs;
    return finalInput(in[finalA]) && expect(Kind::comma) && finalInput(in[finalB]) &&
           expect(Kind::comma) && finalInput(in[finalC]) && expect(Kind::rightParen);
}

// The seven forms of out.rgb = ... ; inputs left out stay the unsigned zero.
bool Parser::rgbOutput(FinalCombiner& combiner)
{
    if (!expect(Kind::outRgb) || !expect(Kind::equals))
        return false;
    auto& in = combiner.inputs;
    if (at(Kind::lerp)) {
        if (!lerpArguments(combiner))
            return false;
        if (at(Kind::plus)) {
            advance();
            if (!finalInput(in[finalD]))
                return false;
        }
        return expect(Kind::semicolon);
    }
    CombinerInput first;
    if (!finalInput(first))
        return false;
    if (at(Kind::star)) {
        advance();
        in[finalA] = first;
        if (!finalInput(in[finalB]))
            return false;
        if (at(Kind::plus)) {
            advance();
            if (!finalInput(in[finalD]))
                return false;
        }
    } else if (at(Kind::plus)) {
        advance();
        if (at(Kind::lerp)) {
            in[finalD] = first;
            if (!lerpArguments(combiner))
                return false;
        } else {
            in[finalA] = first;
            in[finalB] = {zeroRegister(), GL_UNSIGNED_INVERT_NV};
            if (!finalInput(in[finalD]))
                return false;
        }
    } else {
        in[finalD] = first;
    }
    return expect(Kind::semicolon);
}

// [clamp_color_sum ( ) ;] and [final_product = e * f ;] in either order, then out.rgb and
// out.a statements, one or both, in either order.
bool Parser::finalCombiner(FinalCombiner& combiner)
{
    auto& in = combiner.inputs;
    for (;;) {
        if (at(Kind::clampColorSum) && !combiner.clampColorSum) {
            advance();
            if (!expect(Kind::leftParen) || !expect(Kind::rightParen) || !expect(Kind::semicolon))
                return false;
            combiner.clampColorSum = true;
        } else if (atRegister(GL_E_TIMES_F_NV) && !combiner.hasFinalProduct) {
            advance();
            if (!expect(Kind::equals) || !finalInput(in[finalE]) || !expect(Kind::star) ||
                !finalInput(in[finalF]) || !expect(Kind::semicolon))
                return false;
            combiner.hasFinalProduct = true;
        } else {
            break;
        }
    }
    bool rgbSeen = false;
    bool alphaSeen = false;
    do {
        if (at(Kind::outRgb) && !rgbSeen) {
            if (!rgbOutput(combiner))
                return false;
            rgbSeen = true;
        } else if (at(Kind::outA) && !alphaSeen) {
            advance();
            if (!expect(Kind::equals) || !finalInput(in[finalG]) || !expect(Kind::semicolon))
                return false;
            alphaSeen = true;
        } else {
            return false;
        }
    } while (!at(Kind::end) && !(rgbSeen && alphaSeen));
    return true;
}

// [constant [constant]] general_combiner* final_combiner
bool Parser::script(CombinerProgram& program)
{
    while (program.globalConstants.size() < maxGlobalConstants && atConstantDefinition())
        if (!constant(program.globalConstants))
            return false;
    while (at(Kind::leftBrace)) {
        GeneralCombiner combiner;
        if (!generalCombiner(combiner))
            return false;
        if (program.generalCombiners.size() < maxGeneralCombinerCount)
            program.generalCombiners.push_back(std::move(combiner));
        else
            messages.add("Too many general combiners.");
    }
    return finalCombiner(program.finalCombiner) && at(Kind::end);
}

} // namespace

bool parseCombinerProgram(CombinerScanner& scanner, CombinerMessages& messages,
                          CombinerProgram& program)
{
    return Parser(scanner, messages).script(program);
}
