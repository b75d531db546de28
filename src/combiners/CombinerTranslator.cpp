#include "combiners/CombinerTranslator.h"

#include "combiners/CombinerScanner.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <map>
#include <vector>

// Register values live in temporaries named after the script's registers (col0, spare0, tex1,
// ...), or are read straight from where they start (fragment.color.primary, K.x for zero) until
// a stage writes them. A stage maps its variables into vA..vD (RGB portion in .xyz, alpha
// portion in .w), forms its products in ab, cd and sm, and writes the registers only after
// every read, so both portions see the stage's input set as the combiners do.
// K = {0, 1, 2, 0.5} supplies every constant the mappings, scales and biases need but 4.

namespace {

constexpr float log2e = 1.44269504f;
constexpr int finalStage = -1; // the stage index the final combiner reads constants as
constexpr int constantDecimals = 7;

struct PortionNeeds {
    bool ab = false;
    bool cd = false;
    bool sum = false;
};

// A product is formed when its own output or the sum/mux needs it.
PortionNeeds needsOf(const RcPortion& portion)
{
    const bool sum = portion.sumOutput != GL_DISCARD_NV;
    return {portion.abOutput != GL_DISCARD_NV || sum, portion.cdOutput != GL_DISCARD_NV || sum,
            sum};
}

bool isVariableNeeded(const PortionNeeds& needs, int variable)
{
    return variable < rcC ? needs.ab : needs.cd;
}

bool isTexture(GLenum reg)
{
    return reg >= GL_TEXTURE0_ARB && reg < GL_TEXTURE0_ARB + rcTextureUnits;
}

std::size_t unitOf(GLenum reg)
{
    return static_cast<std::size_t>(reg - GL_TEXTURE0_ARB);
}

bool finalReads(const RcState& state, GLenum pseudoRegister)
{
    return std::any_of(state.finalInputs.begin(), state.finalInputs.begin() + rcE,
                       [pseudoRegister](const RcInput& in) { return in.input == pseudoRegister; });
}

std::string number(float value)
{
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, constantDecimals)
            .ptr;
    return std::string(text, end);
}

const char* maskOf(int portion)
{
    return portion == 0 ? ".xyz" : ".w";
}

// The value a mapping gives zero, as an operand.
std::string mappedZero(GLenum mapping)
{
    switch (mapping) {
    case GL_UNSIGNED_INVERT_NV:
    case GL_EXPAND_NEGATE_NV:
        return "K.y";
    case GL_EXPAND_NORMAL_NV:
        return "-K.y";
    case GL_HALF_BIAS_NORMAL_NV:
        return "-K.w";
    case GL_HALF_BIAS_NEGATE_NV:
        return "K.w";
    default:
        return "K.x";
    }
}

const char* targetName(UnitTarget target)
{
    switch (target) {
    case UnitTarget::rectangle:
        return "RECT";
    case UnitTarget::cubeMap:
        return "CUBE";
    default:
        return "2D";
    }
}

class Translator {
public:
    Translator(const RcState& source, const CombinerVariantKey& variant);
    std::string text();

private:
    struct Operand {
        std::string text;
        bool nonNegative = true; // lets unsigned mappings skip their max(0, e)
    };

    const RcState& rc;
    CombinerVariantKey key;
    std::vector<std::string> params;
    std::vector<std::string> temps;
    std::string body;
    std::map<GLenum, Operand> registers;
    std::string fogFactorOperand;

    void line(const std::string& instruction) { body += instruction + ";\n"; }
    const std::string& temp(const std::string& name);
    std::string param(const std::string& name, const std::string& binding);
    std::string constant(int stage, int index);
    std::string fogFactor();
    Operand& location(GLenum reg);
    Operand source(GLenum reg, GLenum usage, int stage);
    std::string mapped(const RcInput& in, int stage, const std::string& name, const char* mask);
    std::string finalMapped(const RcInput& in, const std::string& name, const char* mask);
    void scaleBiasClamp(const std::string& name, const char* mask, const RcPortion& portion,
                        bool wide);
    void write(GLenum reg, const char* mask, const std::string& value);
    void fetchTextures();
    void generalStage(int index);
    void finalCombiner();
};

Translator::Translator(const RcState& source, const CombinerVariantKey& variant)
    : rc(source), key(variant)
{
    registers[GL_PRIMARY_COLOR_NV] = {"fragment.color.primary", true};
    registers[GL_SECONDARY_COLOR_NV] = {"fragment.color.secondary", true};
    registers[GL_SPARE0_NV] = {"K.x", true};
    registers[GL_SPARE1_NV] = {"K.x", true};
    for (GLenum unit = 0; unit < rcTextureUnits; ++unit)
        registers[GL_TEXTURE0_ARB + unit] = {"K.x", true};
}

const std::string& Translator::temp(const std::string& name)
{
    const auto found = std::find(temps.begin(), temps.end(), name);
    return found != temps.end() ? *found : temps.emplace_back(name);
}

std::string Translator::param(const std::string& name, const std::string& binding)
{
    const std::string declaration = "PARAM " + name + " = " + binding + ";\n";
    if (std::find(params.begin(), params.end(), declaration) == params.end())
        params.push_back(declaration);
    return name;
}

// A general stage reads its own constants while per-stage constants are on; the final
// combiner always reads the global ones.
std::string Translator::constant(int stage, int index)
{
    const auto slot = static_cast<std::size_t>(index);
    const bool perStage = stage != finalStage && rc.perStageConstants;
    const RcColour& colour =
        perStage ? rc.stages[static_cast<std::size_t>(stage)].constants[slot] : rc.constants[slot];
    const std::string name = perStage ? "S" + std::to_string(stage) + "C" + std::to_string(index)
                                      : "G" + std::to_string(index);
    return param(name, "{" + number(colour[0]) + ", " + number(colour[1]) + ", " +
                           number(colour[2]) + ", " + number(colour[3]) + "}");
}

// The fog factor as the fixed-function fog would compute it, or 1 with fog off.
std::string Translator::fogFactor()
{
    if (!fogFactorOperand.empty())
        return fogFactorOperand;
    if (key.fog == FogMode::off)
        return fogFactorOperand = "K.y";
    const std::string fog = temp("fogf");
    const std::string fogParams = param("FOGP", "state.fog.params");
    if (key.fog == FogMode::linear) {
        line("ADD " + fog + ".x, " + fogParams + ".z, -fragment.fogcoord.x");
        line("MUL_SAT " + fog + ".x, " + fog + ".x, " + fogParams + ".w");
    } else {
        // e^-x computed as 2^(-x log2 e).
        line("MUL " + fog + ".x, " + fogParams + ".x, fragment.fogcoord.x");
        if (key.fog == FogMode::exp2)
            line("MUL " + fog + ".x, " + fog + ".x, " + fog + ".x");
        const std::string log2 = param("LOG2E", "{" + number(log2e) + ", 0.0, 0.0, 0.0}");
        line("MUL " + fog + ".x, " + fog + ".x, " + log2 + ".x");
        line("EX2_SAT " + fog + ".x, -" + fog + ".x");
    }
    return fogFactorOperand = fog + ".x";
}

Translator::Operand& Translator::location(GLenum reg)
{
    return registers.at(reg);
}

Translator::Operand Translator::source(GLenum reg, GLenum usage, int stage)
{
    std::string base;
    bool nonNegative = true;
    switch (reg) {
    case GL_ZERO:
        return {"K.x", true};
    case GL_CONSTANT_COLOR0_NV:
    case GL_CONSTANT_COLOR1_NV:
        base = constant(stage, reg == GL_CONSTANT_COLOR0_NV ? 0 : 1);
        break;
    case GL_FOG:
        if (usage == GL_ALPHA)
            return {fogFactor(), true};
        base = param("FOGC", "state.fog.color");
        break;
    case GL_E_TIMES_F_NV:
        return {"ef", true};
    case GL_SPARE0_PLUS_SECONDARY_COLOR_NV:
        return {"cs", true};
    default: {
        const Operand& where = location(reg);
        if (where.text == "K.x")
            return where;
        base = where.text;
        nonNegative = where.nonNegative;
    }
    }
    const char* swizzle = usage == GL_ALPHA ? ".w" : usage == GL_BLUE ? ".z" : "";
    return {base + swizzle, nonNegative};
}

// A general-combiner input after its mapping, evaluated into name's masked components where
// it is not a plain operand.
std::string Translator::mapped(const RcInput& in, int stage, const std::string& name,
                               const char* mask)
{
    if (in.input == GL_ZERO)
        return mappedZero(in.mapping);
    const Operand value = source(in.input, in.componentUsage, stage);
    if (in.mapping == GL_SIGNED_IDENTITY_NV ||
        (in.mapping == GL_UNSIGNED_IDENTITY_NV && value.nonNegative))
        return value.text;
    if (in.mapping == GL_SIGNED_NEGATE_NV)
        return "-" + value.text;
    const std::string target = temp(name) + mask;
    switch (in.mapping) {
    case GL_UNSIGNED_IDENTITY_NV:
        line("MAX " + target + ", " + value.text + ", K.x");
        return name;
    case GL_UNSIGNED_INVERT_NV:
        line("ADD_SAT " + target + ", -" + value.text + ", K.y");
        return name;
    default:
        break;
    }
    // The two-step mappings clamp the negative side before they expand or shift.
    std::string base = value.text;
    if (!value.nonNegative) {
        line("MAX " + target + ", " + value.text + ", K.x");
        base = name;
    }
    if (in.mapping == GL_EXPAND_NORMAL_NV)
        line("MAD " + target + ", " + base + ", K.z, -K.y");
    else if (in.mapping == GL_EXPAND_NEGATE_NV)
        line("MAD " + target + ", " + base + ", -K.z, K.y");
    else if (in.mapping == GL_HALF_BIAS_NORMAL_NV)
        line("ADD " + target + ", " + base + ", -K.w");
    else
        line("ADD " + target + ", -" + base + ", K.w");
    return name;
}

// Final-combiner inputs take only the two unsigned mappings.
std::string Translator::finalMapped(const RcInput& in, const std::string& name, const char* mask)
{
    const bool invert = in.mapping == GL_UNSIGNED_INVERT_NV;
    if (in.input == GL_ZERO)
        return invert ? "K.y" : "K.x";
    const Operand value = source(in.input, in.componentUsage, finalStage);
    if (!invert && value.nonNegative)
        return value.text;
    const std::string target = temp(name) + mask;
    line((invert ? "ADD_SAT " + target + ", -" : "MAX " + target + ", ") + value.text +
         (invert ? ", K.y" : ", K.x"));
    return name;
}

// (value + bias) * scale, clamped to [-1, 1] on the sides the value can pass. A product of
// mapped values stays within [-1, 1]; a dot product or a sum can reach 3 or 2.
void Translator::scaleBiasClamp(const std::string& name, const char* mask, const RcPortion& portion,
                                bool wide)
{
    const std::string target = name + mask;
    const bool bias = portion.bias == GL_BIAS_BY_NEGATIVE_ONE_HALF_NV;
    float scale = 1.0f;
    if (portion.scale == GL_SCALE_BY_TWO_NV) {
        scale = 2.0f;
        line(bias ? "MAD " + target + ", " + name + ", K.z, -K.y"
                  : "MUL " + target + ", " + name + ", K.z");
    } else if (portion.scale == GL_SCALE_BY_FOUR_NV) {
        scale = 4.0f;
        line("MUL " + target + ", " + name + ", " + param("K4", "{4.0, 4.0, 4.0, 4.0}"));
    } else if (portion.scale == GL_SCALE_BY_ONE_HALF_NV) {
        scale = 0.5f;
        line("MUL " + target + ", " + name + ", K.w");
    } else if (bias) {
        line("ADD " + target + ", " + name + ", -K.w");
    }
    const float reach = wide ? 3.0f : 1.0f;
    const float shift = bias ? -0.5f : 0.0f;
    if ((reach + shift) * scale > 1.0f)
        line("MIN " + target + ", " + name + ", K.y");
    if ((-reach + shift) * scale < -1.0f)
        line("MAX " + target + ", " + name + ", -K.y");
}

void Translator::write(GLenum reg, const char* mask, const std::string& value)
{
    // Writable registers keep the script's names as temporaries of the program.
    const char* word = combinerRegisterWord(reg);
    assert(word && "the sink let a write to an unnamed register through");
    const std::string name = word;
    Operand& where = location(reg);
    // A write covers RGB or alpha only: the other part keeps the register's value.
    if (where.text != name) {
        line("MOV " + temp(name) + ", " + where.text);
        where.text = name;
    }
    line("MOV " + name + mask + ", " + value);
    where.nonNegative = false;
}

void Translator::fetchTextures()
{
    const CombinerReads reads = combinerReads(rc);
    for (std::size_t unit = 0; unit < key.units.size(); ++unit) {
        if (!reads.units[unit] || key.units[unit] == UnitTarget::none)
            continue;
        const std::string name = temp("tex" + std::to_string(unit));
        const std::string index = std::to_string(unit);
        // Conventional texturing divides by q; a cube map looks up a direction.
        const char* op = key.units[unit] == UnitTarget::cubeMap ? "TEX_SAT " : "TXP_SAT ";
        line(op + name + ", fragment.texcoord[" + index + "], texture[" + index + "], " +
             targetName(key.units[unit]));
        registers[GL_TEXTURE0_ARB + static_cast<GLenum>(unit)] = {name, true};
    }
    // Set up before any stage can overwrite tex0.
    if (registers[GL_TEXTURE0_ARB].text != "K.x") {
        line("MOV " + temp("spare0") + ", K.x");
        line("MOV spare0.w, tex0.w");
        registers[GL_SPARE0_NV] = {"spare0", true};
    }
}

void Translator::generalStage(int index)
{
    const RcStage& stage = rc.stages[static_cast<std::size_t>(index)];
    const std::array<const RcPortion*, 2> portions = {&stage.rgb, &stage.alpha};
    std::array<PortionNeeds, 2> needs;
    bool mux = false;
    for (std::size_t p = 0; p < portions.size(); ++p) {
        needs[p] = needsOf(*portions[p]);
        mux = mux || (needs[p].sum && portions[p]->muxSum);
    }
    // Both portions' muxes test the alpha of spare0 as the stage received it.
    if (mux)
        line("ADD " + temp("mx") + ".x, " + source(GL_SPARE0_NV, GL_ALPHA, index).text + ", -K.w");

    static const std::array<std::string, rcGeneralVariables> variableNames = {"vA", "vB", "vC",
                                                                              "vD"};
    std::array<std::array<std::string, rcGeneralVariables>, 2> operands;
    for (std::size_t p = 0; p < portions.size(); ++p)
        for (int v = 0; v < rcGeneralVariables; ++v)
            if (isVariableNeeded(needs[p], v))
                operands[p][static_cast<std::size_t>(v)] =
                    mapped(portions[p]->variables[static_cast<std::size_t>(v)], index,
                           variableNames[static_cast<std::size_t>(v)], maskOf(int(p)));

    for (std::size_t p = 0; p < portions.size(); ++p) {
        const RcPortion& portion = *portions[p];
        const char* mask = maskOf(int(p));
        const auto& in = operands[p];
        if (needs[p].ab)
            line((portion.abDotProduct ? "DP3 " : "MUL ") + temp("ab") + mask + ", " + in[rcA] +
                 ", " + in[rcB]);
        if (needs[p].cd)
            line((portion.cdDotProduct ? "DP3 " : "MUL ") + temp("cd") + mask + ", " + in[rcC] +
                 ", " + in[rcD]);
        // The sum and the mux take the products before their scale, bias and clamp.
        if (needs[p].sum)
            line(portion.muxSum ? "CMP " + temp("sm") + mask + ", mx.x, ab, cd"
                                : "ADD " + temp("sm") + mask + ", ab, cd");
    }

    for (std::size_t p = 0; p < portions.size(); ++p) {
        const RcPortion& portion = *portions[p];
        const char* mask = maskOf(int(p));
        if (portion.abOutput != GL_DISCARD_NV)
            scaleBiasClamp("ab", mask, portion, portion.abDotProduct);
        if (portion.cdOutput != GL_DISCARD_NV)
            scaleBiasClamp("cd", mask, portion, portion.cdDotProduct);
        if (portion.sumOutput != GL_DISCARD_NV)
            scaleBiasClamp("sm", mask, portion,
                           !portion.muxSum || portion.abDotProduct || portion.cdDotProduct);
    }

    for (std::size_t p = 0; p < portions.size(); ++p) {
        const RcPortion& portion = *portions[p];
        const char* mask = maskOf(int(p));
        if (portion.abOutput != GL_DISCARD_NV)
            write(portion.abOutput, mask, "ab");
        if (portion.cdOutput != GL_DISCARD_NV)
            write(portion.cdOutput, mask, "cd");
        if (portion.sumOutput != GL_DISCARD_NV)
            write(portion.sumOutput, mask, "sm");
    }
}

void Translator::finalCombiner()
{
    const auto& in = rc.finalInputs;
    if (finalReads(rc, GL_E_TIMES_F_NV)) {
        const std::string e = finalMapped(in[rcE], "vE", ".xyz");
        const std::string f = finalMapped(in[rcF], "vF", ".xyz");
        line("MUL " + temp("ef") + ".xyz, " + e + ", " + f);
    }
    if (finalReads(rc, GL_SPARE0_PLUS_SECONDARY_COLOR_NV)) {
        const Operand spare0 = source(GL_SPARE0_NV, GL_RGB, finalStage);
        const Operand secondary = source(GL_SECONDARY_COLOR_NV, GL_RGB, finalStage);
        std::string left = spare0.text;
        std::string right = secondary.text;
        if (!spare0.nonNegative) {
            line("MAX " + temp("cs") + ".xyz, " + spare0.text + ", K.x");
            left = "cs";
        }
        if (!secondary.nonNegative) {
            line("MAX " + temp("t") + ".xyz, " + secondary.text + ", K.x");
            right = "t";
        }
        line((rc.colorSumClamp ? "ADD_SAT " : "ADD ") + temp("cs") + ".xyz, " + left + ", " +
             right);
    }

    const std::string a = finalMapped(in[rcA], "vA", ".xyz");
    const std::string b = finalMapped(in[rcB], "vB", ".xyz");
    const std::string c = finalMapped(in[rcC], "vC", ".xyz");
    const std::string d = finalMapped(in[rcD], "vD", ".xyz");
    // A*B + (1-A)*C + D, at most 1; every term is non-negative.
    std::string blend;
    if (a == "K.x") {
        blend = c;
    } else if (a == "K.y") {
        blend = b;
    } else if (c == "K.x") {
        line("MUL " + temp("t") + ".xyz, " + a + ", " + b);
        blend = "t";
    } else {
        line("LRP " + temp("t") + ".xyz, " + a + ", " + b + ", " + c);
        blend = "t";
    }
    if (d == "K.x")
        line("MOV_SAT result.color.xyz, " + blend);
    else
        line("ADD_SAT result.color.xyz, " + blend + ", " + d);
    line("MOV result.color.w, " + finalMapped(in[rcG], "vG", ".w"));
}

std::string Translator::text()
{
    fetchTextures();
    for (int stage = 0; stage < std::clamp(rc.generalCombiners, 1, rcMaxGeneralCombiners); ++stage)
        generalStage(stage);
    finalCombiner();

    std::string program = "!!ARBfp1.0\nPARAM K = {0.0, 1.0, 2.0, 0.5};\n";
    for (const std::string& declaration : params)
        program += declaration;
    if (!temps.empty()) {
        program += "TEMP ";
        for (std::size_t i = 0; i < temps.size(); ++i)
            program += (i == 0 ? "" : ", ") + temps[i];
        program += ";\n";
    }
    return program + body + "END\n";
}

} // namespace

CombinerReads combinerReads(const RcState& state)
{
    CombinerReads reads;
    const auto note = [&reads](const RcInput& in) {
        if (isTexture(in.input))
            reads.units[unitOf(in.input)] = true;
        else if (in.input == GL_SPARE0_NV || in.input == GL_SPARE0_PLUS_SECONDARY_COLOR_NV)
            reads.units[0] = true;
        else if (in.input == GL_FOG && in.componentUsage == GL_ALPHA)
            reads.fogAlpha = true;
    };
    const int stages = std::clamp(state.generalCombiners, 1, rcMaxGeneralCombiners);
    for (int stage = 0; stage < stages; ++stage) {
        const RcStage& general = state.stages[static_cast<std::size_t>(stage)];
        for (const RcPortion* portion : {&general.rgb, &general.alpha}) {
            const PortionNeeds needs = needsOf(*portion);
            for (int v = 0; v < rcGeneralVariables; ++v)
                if (isVariableNeeded(needs, v))
                    note(portion->variables[static_cast<std::size_t>(v)]);
            if (needs.sum && portion->muxSum)
                reads.units[0] = true;
        }
    }
    for (int v = rcA; v <= rcD; ++v)
        note(state.finalInputs[static_cast<std::size_t>(v)]);
    note(state.finalInputs[rcG]);
    if (finalReads(state, GL_E_TIMES_F_NV)) {
        note(state.finalInputs[rcE]);
        note(state.finalInputs[rcF]);
    }
    return reads;
}

std::string translateCombiners(const RcState& state, const CombinerVariantKey& key)
{
    return Translator(state, key).text();
}
