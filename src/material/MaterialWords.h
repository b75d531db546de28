#pragma once

#include <istream>
#include <string>

// The whitespace-delimited words of a material file after its line loop has handed a block over.
// Blocks run to their "." however many lines they take.
class MaterialWords {
public:
    MaterialWords(std::istream& input, const std::string& filePath) : stream(input), path(filePath)
    {
    }

    // The next word. The file ending inside a block (before its ".") is a loading error.
    std::string next();
    // The next word used as a texture or program name; like every name, at most 249 characters.
    std::string nextName();
    // The next word as a number; a word that does not convert leaves the value unchanged.
    void nextFloat(float& value);
    // A line on standard error naming the file and a word that was not understood.
    void warnUnknown(const char* what, const std::string& word) const;

    std::istream& stream;
    const std::string& path;
};
