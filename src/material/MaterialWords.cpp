#include "material/MaterialWords.h"

#include "shell/LoadError.h"
#include "shell/Scan.h"

#include <iostream>

std::string MaterialWords::next()
{
    std::string word;
    if (!(stream >> word))
        throw LoadError("A material block has no closing \".\" before the end of " + path);
    return word;
}

std::string MaterialWords::nextName()
{
    std::string word = next();
    if (word.size() > maxWordLength)
        throw LoadError("Word longer than 249 characters in " + path);
    return word;
}

void MaterialWords::nextFloat(float& value)
{
    scanFloat(next(), value);
}

void MaterialWords::warnUnknown(const char* what, const std::string& word) const
{
    std::cerr << path << ": unknown " << what << " \"" << word << "\", the default is used\n";
}
