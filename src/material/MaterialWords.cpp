#include "material/MaterialWords.h"

#include "shell/LoadError.h"
#include "shell/Scan.h"

#include <utility>

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

bool MaterialWords::nextFloat(float& value)
{
    return scanFloat(next(), value);
}

std::size_t MaterialWords::addStep(MaterialStep::Kind kind, std::string text)
{
    steps.push_back({kind, std::move(text)});
    return steps.size() - 1;
}

void MaterialWords::warnUnknown(const char* what, const std::string& word)
{
    addStep(MaterialStep::Kind::warning,
            path + ": unknown " + what + " \"" + word + "\", the default is used\n");
}

std::vector<MaterialStep> MaterialWords::takeSteps()
{
    return std::exchange(steps, {});
}
