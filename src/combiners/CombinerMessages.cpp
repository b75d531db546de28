#include "combiners/CombinerMessages.h"

#include <utility>

void CombinerMessages::add(std::string message)
{
    if (messages.size() < capacity)
        messages.push_back(std::move(message));
}

void CombinerMessages::addAtLine(int line, const char* what)
{
    add("error on line " + std::to_string(line) + ": " + what);
}

void CombinerMessages::clear()
{
    messages.clear();
}

const std::vector<std::string>& CombinerMessages::all() const
{
    return messages;
}
