#pragma once

#include <istream>
#include <string>
#include <vector>

// Something a block names outside its file (a program, a texture, a combiner setup to compile) or
// a warning it gives: kept in file order so that loading them later reports the same messages in
// the same order as the words that named them.
struct MaterialStep {
    enum class Kind { warning, program, textureByName, textureByFileName, combiners };
    Kind kind;
    std::string text; // the warning line, the name, or the combiner block's text
};

// The whitespace-delimited words of a material file after its line loop has handed a block over,
// and the steps of the block being read. Blocks run to their "." however many lines they take.
class MaterialWords {
public:
    MaterialWords(std::istream& input, const std::string& filePath) : stream(input), path(filePath)
    {
    }

    // The next word. The file ending inside a block (before its ".") is a loading error.
    std::string next();
    // The next word used as a texture or program name; like every name, at most 249 characters.
    std::string nextName();
    // The next word as a number; a word that does not convert leaves the value unchanged and
    // gives false.
    bool nextFloat(float& value);
    // Records a step; gives its index among the block's steps.
    std::size_t addStep(MaterialStep::Kind kind, std::string text);
    // Records a warning line naming the file and a word that was not understood.
    void warnUnknown(const char* what, const std::string& word);
    // The steps recorded since the last call, in file order.
    std::vector<MaterialStep> takeSteps();

    std::istream& stream;
    const std::string& path;

private:
    std::vector<MaterialStep> steps;
};
