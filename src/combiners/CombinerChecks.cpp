#include "combiners/CombinerChecks.h"

#include "combiners/CombinerMessages.h"
#include "combiners/CombinerProgram.h"

#include <algorithm>
#include <string>

namespace {

bool hasName(const CombinerRegister& reg, GLenum name)
{
    return reg.name == name;
}

template <typename Constants> bool definesTwice(const Constants& constants)
{
    return constants.size() == 2 && constants[0].name == constants[1].name;
}

bool definesConstant(const GeneralCombiner& combiner, GLenum name)
{
    return std::any_of(combiner.localConstants.begin(), combiner.localConstants.end(),
                       [name](const CombinerConstant& local) { return local.name == name; });
}

// How many general combiners the program can hold and the GL can run; never below
// one, the count a script without general combiners still needs.
std::size_t combinerLimit(GLint glLimit)
{
    const auto limit = static_cast<std::size_t>(std::max(glLimit, GLint{1}));
    return std::min(limit, maxGeneralCombinerCount);
}

CombinerOperation writesNothing(CombinerOperationType type, CombinerChannel channel)
{
    CombinerOperation operation;
    operation.type = type;
    operation.output = CombinerRegister{GL_DISCARD_NV, channel, false, false};
    CombinerRegister zero = zeroRegister();
    zero.channel = channel;
    operation.inputs = {CombinerInput{zero, GL_SIGNED_IDENTITY_NV},
                        CombinerInput{zero, GL_SIGNED_IDENTITY_NV}};
    return operation;
}

void settleChannel(CombinerRegister& reg, CombinerChannel channel)
{
    if (reg.channel == CombinerChannel::none)
        reg.channel = channel;
}

void checkOperation(CombinerOperation& operation, GLenum designator, CombinerMessages& messages)
{
    const bool alphaPortion = designator == GL_ALPHA;
    const CombinerChannel portionChannel =
        alphaPortion ? CombinerChannel::alpha : CombinerChannel::rgb;
    const bool reads = operation.type == CombinerOperationType::product ||
                       operation.type == CombinerOperationType::dot;

    // The registers the operation touches: its output, then the inputs it reads.
    CombinerRegister* touched[3] = {&operation.output, nullptr, nullptr};
    std::size_t touchedCount = 1;
    if (reads)
        for (CombinerInput& input : operation.inputs) {
            // The fog factor (fog alpha) is out of the general combiners' reach.
            if (alphaPortion && hasName(input.reg, GL_FOG) &&
                input.reg.channel == CombinerChannel::none)
                input.reg.finalOnly = true;
            touched[touchedCount++] = &input.reg;
        }
    for (std::size_t i = 0; i < touchedCount; ++i)
        settleChannel(*touched[i], portionChannel);

    const auto any = [&](auto predicate) {
        return std::any_of(touched, touched + touchedCount,
                           [&](const CombinerRegister* reg) { return predicate(*reg); });
    };
    if (operation.output.readOnly)
        messages.add("writing to a read-only register");
    if (operation.type == CombinerOperationType::dot && alphaPortion)
        messages.add("dot used in alpha portion");
    if (any([](const CombinerRegister& reg) { return reg.finalOnly; }))
        messages.add("final register used in general combiner");
    if (alphaPortion &&
        any([](const CombinerRegister& reg) { return reg.channel == CombinerChannel::rgb; }))
        messages.add("rgb register used in alpha portion");
    if (!alphaPortion &&
        any([](const CombinerRegister& reg) { return reg.channel == CombinerChannel::blue; }))
        messages.add("blue register used in rgb portion");
    if (reads && (hasName(operation.inputs[0].reg, GL_DISCARD_NV) ||
                  hasName(operation.inputs[1].reg, GL_DISCARD_NV)))
        messages.add("reading from discard");
}

bool sameWrittenRegister(const CombinerOperation& a, const CombinerOperation& b)
{
    return a.output.name == b.output.name && a.output.name != GL_DISCARD_NV;
}

void checkPortion(CombinerPortion& portion, CombinerMessages& messages)
{
    auto& operations = portion.operations;
    for (CombinerOperation& operation : operations)
        checkOperation(operation, portion.designator, messages);
    if (operations.size() >= 2 && sameWrittenRegister(operations[0], operations[1]))
        messages.add("writing to same register twice");
    if (operations.size() == 3 && (sameWrittenRegister(operations[2], operations[0]) ||
                                   sameWrittenRegister(operations[2], operations[1])))
        messages.add("writing to same register twice");

    const CombinerChannel channel =
        portion.designator == GL_ALPHA ? CombinerChannel::alpha : CombinerChannel::rgb;
    while (operations.size() < 2)
        operations.push_back(writesNothing(CombinerOperationType::product, channel));
    if (operations.size() < 3)
        operations.push_back(writesNothing(CombinerOperationType::sum, channel));
}

void checkGeneralCombiner(GeneralCombiner& combiner, CombinerMessages& messages)
{
    if (definesTwice(combiner.localConstants))
        messages.add("local constant set twice");
    auto& portions = combiner.portions;
    if (portions.size() == 2 && portions[0].designator == portions[1].designator)
        messages.add("portion declared twice");
    if (portions.size() == 1) {
        CombinerPortion other;
        other.designator = portions[0].designator == GL_RGB ? GL_ALPHA : GL_RGB;
        portions.push_back(other);
    }
    for (CombinerPortion& portion : portions)
        checkPortion(portion, messages);
}

bool isFinalPseudoRegister(const CombinerRegister& reg)
{
    return hasName(reg, GL_DISCARD_NV) || hasName(reg, GL_E_TIMES_F_NV) ||
           hasName(reg, GL_SPARE0_PLUS_SECONDARY_COLOR_NV);
}

void checkFinalCombiner(FinalCombiner& combiner, CombinerMessages& messages)
{
    auto& in = combiner.inputs;
    if (combiner.hasFinalProduct) {
        if (isFinalPseudoRegister(in[finalE].reg) || isFinalPseudoRegister(in[finalF].reg))
            messages.add("invalid input register for final_product");
        if (in[finalE].reg.channel == CombinerChannel::blue ||
            in[finalF].reg.channel == CombinerChannel::blue)
            messages.add("blue register used in final_product");
    }

    if (isFinalPseudoRegister(in[finalG].reg))
        messages.add("invalid input register for final alpha");
    if (in[finalG].reg.channel == CombinerChannel::rgb)
        messages.add("rgb register used in final alpha");

    // The colour sum may not be A, but A·B + (1-A)·C + D with C = 0 is the same with A and B
    // exchanged.
    const CombinerInput& c = in[finalC];
    if (hasName(in[finalA].reg, GL_SPARE0_PLUS_SECONDARY_COLOR_NV) &&
        !hasName(in[finalB].reg, GL_SPARE0_PLUS_SECONDARY_COLOR_NV) && hasName(c.reg, GL_ZERO) &&
        c.mapping == GL_UNSIGNED_IDENTITY_NV)
        std::swap(in[finalA], in[finalB]);

    const auto rgbInputs = {in[finalA].reg, in[finalB].reg, in[finalC].reg, in[finalD].reg};
    const auto anyRgbInput = [&](auto predicate) {
        return std::any_of(rgbInputs.begin(), rgbInputs.end(), predicate);
    };
    if (hasName(in[finalA].reg, GL_SPARE0_PLUS_SECONDARY_COLOR_NV) ||
        anyRgbInput([](const CombinerRegister& reg) { return hasName(reg, GL_DISCARD_NV); }))
        messages.add("invalid input register for final rgb");
    if (anyRgbInput(
            [](const CombinerRegister& reg) { return reg.channel == CombinerChannel::blue; }))
        messages.add("blue register used in final rgb");
    if (!combiner.hasFinalProduct &&
        anyRgbInput([](const CombinerRegister& reg) { return hasName(reg, GL_E_TIMES_F_NV); }))
        messages.add("final_product used but not set");

    for (std::size_t variable = finalA; variable <= finalF; ++variable)
        settleChannel(in[variable].reg, CombinerChannel::rgb);
    settleChannel(in[finalG].reg, CombinerChannel::alpha);
}

} // namespace

void checkCombinerProgram(CombinerProgram& program, GLint glLimit, bool perStageConstants,
                          CombinerMessages& messages)
{
    if (definesTwice(program.globalConstants))
        messages.add("global constant set twice");

    auto& combiners = program.generalCombiners;
    const std::size_t limit = combinerLimit(glLimit);
    if (combiners.size() > limit) {
        messages.add(std::to_string(combiners.size()) + " general combiners specified, only " +
                     std::to_string(limit) + " supported");
        combiners.resize(limit);
    }
    if (combiners.empty()) {
        // One stage must run; both of its portions write nothing.
        combiners.emplace_back();
        combiners.back().portions.resize(2);
        combiners.back().portions[1].designator = GL_ALPHA;
    }

    const bool anyLocal =
        std::any_of(combiners.begin(), combiners.end(), [](const GeneralCombiner& combiner) {
            return !combiner.localConstants.empty();
        });
    if (anyLocal && !perStageConstants)
        messages.add("local constant(s) specified, but not supported -- ignored");
    else
        for (GeneralCombiner& combiner : combiners)
            for (const CombinerConstant& global : program.globalConstants)
                if (!definesConstant(combiner, global.name))
                    combiner.receivedConstants.push_back(global);

    for (GeneralCombiner& combiner : combiners)
        checkGeneralCombiner(combiner, messages);
    checkFinalCombiner(program.finalCombiner, messages);
}
